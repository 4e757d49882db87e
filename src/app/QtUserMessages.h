#pragma once

#include "app/UserMessages.h"

// Plain QMessageBox boxes with an OK button.
class QtUserMessages final : public UserMessages
{
public:
    void ShowMessage(const QString &caption, const QString &text, Icon icon) override;
};
