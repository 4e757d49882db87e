#include "platform/connection_check.h"

#include "platform/PlatformLog.h"

#include <QNetworkInformation>

namespace platform {

namespace {

    class SystemConnectionCheck : public ConnectionCheck
    {
    public:
        SystemConnectionCheck()
        {
            // The default backend needs a system bus; the one chosen by feature also works without.
            if (!QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability)
                && !QNetworkInformation::loadDefaultBackend()) {
                qCWarning(lcPlatform) << "no network information backend; the map assumes a connection";
            }
        }

        bool IsConnected() override
        {
            const QNetworkInformation *information = QNetworkInformation::instance();
            if (!information)
                return true;
            // Local means a link without a route out: the map's tiles cannot come through it.
            switch (information->reachability()) {
            case QNetworkInformation::Reachability::Disconnected:
            case QNetworkInformation::Reachability::Local:
                return false;
            case QNetworkInformation::Reachability::Unknown:
            case QNetworkInformation::Reachability::Site:
            case QNetworkInformation::Reachability::Online:
                break;
            }
            return true;
        }
    };

} // namespace

std::unique_ptr<ConnectionCheck> CreateSystemConnectionCheck()
{
    return std::make_unique<SystemConnectionCheck>();
}

} // namespace platform
