#pragma once

#include <QString>

// Where the fixed message boxes of start-up go: modal boxes in the program, a recorder
// in tests.
class UserMessages
{
public:
    enum class Icon { None, Information, Warning, Error };

    virtual ~UserMessages() = default;
    // Shows a modal box with an OK button and returns when it is closed.
    virtual void ShowMessage(const QString &caption, const QString &text, Icon icon) = 0;
};
