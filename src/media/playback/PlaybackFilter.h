#pragma once

#include <QString>

namespace media {

// What every filter of a playback graph has: the name it was added under, by which the graph
// finds it and tears it down, and a start/stop pair for filters that run a thread of their own.
class PlaybackFilter
{
public:
    explicit PlaybackFilter(QString name)
        : m_name(std::move(name))
    {
    }
    virtual ~PlaybackFilter() = default;
    PlaybackFilter(const PlaybackFilter &) = delete;
    PlaybackFilter &operator=(const PlaybackFilter &) = delete;

    const QString &Name() const { return m_name; }

    // Starts the filter's thread, if it has one.
    virtual void Start() { }
    // Asks the filter's thread to finish; it must return from every wait promptly after this.
    virtual void RequestStop() { }
    // Waits for the thread to end. Called after RequestStop on every filter of the graph.
    virtual void Join() { }

private:
    QString m_name;
};

} // namespace media
