#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// What the program's windows look up in their skin descriptions: per skin entry, every name
// with the kind of item it must be. Control kinds are the control type codes (0 image button,
// 4 list, 5 speed gauge, 6 slider, 7 map, 8 graph, 14 combo box, ...).

namespace skin_default {

enum ItemKind {
    kText = 100,
    kArea = 101,
    kImage = 102,
};

struct ExpectedItem {
    QString name;
    int kind; // a control type code or an ItemKind
};

struct ExpectedWindow {
    QString entry; // skin entry named by the settings layout
    std::vector<ExpectedItem> items;
};

// The windows and every item their code addresses by name.
const std::vector<ExpectedWindow> &ExpectedWindows();

// Keys of the texts that dialogs show in message boxes; every window carries all of them so
// that whichever window asks finds the text.
const QStringList &MessageTextKeys();

} // namespace skin_default
