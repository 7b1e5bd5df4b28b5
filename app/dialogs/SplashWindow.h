#pragma once

#include <QWidget>

class QLabel;

// The splash window: a borderless picture centred on the screen, shown when
// made. The picture is the JPEG file "<program name>.spl", decoded where it
// lies; without it (or with a damaged one) the window stays empty.
class TfrmSplash : public QWidget {
    Q_OBJECT
public:
    // stayOnTop is false for the "diag" start.
    explicit TfrmSplash(bool stayOnTop = true, const QString& picturePath = DefaultPicturePath());

    // "<program file name without folder and extension>.spl" in the current
    // folder, else in the program's folder.
    static QString DefaultPicturePath();

    bool HasPicture() const { return m_hasPicture; }

    QLabel* Image1 = nullptr;

private:
    void BuildWidgets();
    void FormCreate(const QString& picturePath);
    bool LoadPicture(const QString& picturePath);

    bool m_hasPicture = false;
};
