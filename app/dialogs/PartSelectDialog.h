#pragma once

#include <cstdint>

#include "app/dialogs/ModalDialog.h"

class QAction;
class QFrame;
class QLabel;
class QPushButton;
class TCanvasPanel;

// Chooses the span of one recording to download: a track that stands for
// the whole recording and a bar inside it, dragged or resized with the mouse
// or with Ctrl/Shift and the arrow keys. The result is in whole seconds.
class TfrmPartSelect : public TModalDialog {
    Q_OBJECT
public:
    enum DragMode { dmNone = 0, dmLeftEdge = 1, dmRightEdge = 2, dmMove = 3 };
    // The bar keeps this margin inside the track and never gets narrower.
    static constexpr int kMargin = 2;
    static constexpr int kMinBarWidth = 21;

    explicit TfrmPartSelect(QWidget* mainWindow = nullptr);

    // Set by the caller before showing.
    void SetRecordDuration(std::uint32_t seconds) { FRecordDuration = seconds; }
    void SetRecordSize(std::uint32_t bytes) { FRecordSize = bytes; }
    // The results.
    std::uint32_t SelStart() const { return FSelStart; }
    std::uint32_t SelDuration() const { return FSelDuration; }
    std::uint32_t SelSize() const { return FSelSize; }

    // The bar's mouse handling, in the bar's coordinates.
    void BarMouseMove(int x, bool buttonDown);
    void BarMouseDown(int x);
    void BarMouseUp() { FDragMode = dmNone; }
    // The steps the mouse and the keys share.
    void MoveBar(int dx);
    void ResizeLeft(int dx);
    void ResizeRight(int dx);

    QFrame* Panel3 = nullptr;
    TCanvasPanel* Panel4 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* lbStart = nullptr;
    QLabel* lbEnd = nullptr;
    QLabel* lbDuration = nullptr;
    QLabel* lbSelSize = nullptr;
    QLabel* lbHint = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    QAction* actSelMoveLeft = nullptr;
    QAction* actSelMoveRight = nullptr;
    QAction* actSelSizeInc = nullptr;
    QAction* actSelSizeDec = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildWidgets();
    void PaintBar(TCanvasPanel* sender);
    // After a move: start and end. After a resize also duration and size.
    void BarMoved();
    void BarResized();
    bool NearEdge(int x) const;

    int FDragMode = dmNone;
    int FLastX = 0;
    std::uint32_t FRecordDuration = 0;
    std::uint32_t FSelDuration = 0;
    std::uint32_t FSelStart = 0;
    std::uint32_t FSelSize = 0;
    std::uint32_t FRecordSize = 0;
};
