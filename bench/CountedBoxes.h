#pragma once

#include <QString>
#include <cstdint>

#include "app/services/AppMessageBox.h"

// Any message box means a bench run went wrong: it is counted and answered
// with the default (OK, or No for a question); the first text is kept.
class CountedBoxes : public TMessageBoxAnswerer {
public:
    CountedBoxes() { SetMessageBoxAnswerer(this); }
    ~CountedBoxes() override { SetMessageBoxAnswerer(nullptr); }
    CountedBoxes(const CountedBoxes&) = delete;
    CountedBoxes& operator=(const CountedBoxes&) = delete;

    int Answer(const QString& text, std::uint32_t flags, const QString&) override
    {
        if (First.isEmpty())
            First = text;
        ++Count;
        return (flags & 0xF) == MB_YESNO ? IDNO : IDOK;
    }

    int Count = 0;
    QString First;
};
