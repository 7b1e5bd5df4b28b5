#include "app/dialogs/PartSelectDialog.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/lang/FormLanguage.h"
#include "app/services/ApplicationTitle.h"
#include "app/services/FormatHms.h"
#include "localizer/LangFormat.h"
#include "widgets/CanvasPanel.h"

namespace {

constexpr int kTrackWidth = 404;
constexpr int kTrackHeight = 26;
constexpr int kEdgeZone = 4;

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

QAction* MakeKeyAction(QWidget* owner, const char* name, const QKeySequence& key)
{
    auto* action = new QAction(QLatin1String(name), owner);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(key);
    action->setShortcutContext(Qt::WindowShortcut);
    owner->addAction(action);
    return action;
}

}  // namespace

TfrmPartSelect::TfrmPartSelect(QWidget* mainWindow) : TModalDialog(mainWindow)
{
    BuildWidgets();
    // The form's language controller binds here, taking the built-in texts.
    BindFormLanguage(this);
    // The whole recording is selected until the user changes it.
    Panel4->setGeometry(kMargin, kMargin, Panel3->width() - 2 * kMargin, kTrackHeight - 2 * kMargin);
    setWindowIcon(QApplication::windowIcon());
    setWindowTitle(ApplicationTitle());
}

void TfrmPartSelect::BuildWidgets()
{
    setObjectName(QStringLiteral("frmPartSelect"));

    Panel3 = new QFrame(this);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel3->setFixedSize(kTrackWidth, kTrackHeight);
    Panel4 = new TCanvasPanel(Panel3);
    Panel4->setObjectName(QStringLiteral("Panel4"));
    Panel4->setMouseTracking(true);
    Panel4->installEventFilter(this);
    connect(Panel4, &TCanvasPanel::Paint, this, &TfrmPartSelect::PaintBar);

    Label1 = MakeLabel(this, "Label1", QStringLiteral("00:00:00"));
    Label3 = MakeLabel(this, "Label3", QStringLiteral("00:00:00"));
    auto* startCaption = MakeLabel(this, "Label2", QStringLiteral("Selection start time:"));
    auto* endCaption = MakeLabel(this, "Label4", QStringLiteral("Selection end time:"));
    auto* durationCaption = MakeLabel(this, "Label5", QStringLiteral("Selection duration: "));
    auto* sizeCaption = MakeLabel(this, "Label6", QStringLiteral("Selection size"));
    lbStart = MakeLabel(this, "lbStart", QStringLiteral("00:00:00"));
    lbEnd = MakeLabel(this, "lbEnd", QStringLiteral("00:00:00"));
    lbDuration = MakeLabel(this, "lbDuration", QStringLiteral("00:00:00"));
    lbSelSize = MakeLabel(this, "lbSelSize", QString());
    lbHint = MakeLabel(this, "lbHint",
                       QStringLiteral("Drag selection bounds (or use arrow keys with Shift or Ctrl) \r\nto change the "
                                      "area of record to be downloaded and press OK."));

    actSelMoveLeft = MakeKeyAction(this, "actSelMoveLeft", QKeySequence(Qt::CTRL | Qt::Key_Left));
    actSelMoveRight = MakeKeyAction(this, "actSelMoveRight", QKeySequence(Qt::CTRL | Qt::Key_Right));
    actSelSizeInc = MakeKeyAction(this, "actSelSizeInc", QKeySequence(Qt::SHIFT | Qt::Key_Right));
    actSelSizeDec = MakeKeyAction(this, "actSelSizeDec", QKeySequence(Qt::SHIFT | Qt::Key_Left));
    connect(actSelMoveLeft, &QAction::triggered, this, [this] { MoveBar(-1); });
    connect(actSelMoveRight, &QAction::triggered, this, [this] { MoveBar(1); });
    // Keys resize at the right edge.
    connect(actSelSizeInc, &QAction::triggered, this, [this] { ResizeRight(1); });
    connect(actSelSizeDec, &QAction::triggered, this, [this] { ResizeRight(-1); });

    auto* trackLabels = new QHBoxLayout;
    trackLabels->addWidget(Label1);
    trackLabels->addStretch(1);
    trackLabels->addWidget(Label3);
    auto* info = new QGridLayout;
    info->addWidget(startCaption, 0, 0);
    info->addWidget(lbStart, 0, 1);
    info->addWidget(endCaption, 1, 0);
    info->addWidget(lbEnd, 1, 1);
    info->addWidget(durationCaption, 2, 0);
    info->addWidget(lbDuration, 2, 1);
    info->addWidget(sizeCaption, 3, 0);
    info->addWidget(lbSelSize, 3, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Panel3);
    layout->addLayout(trackLabels);
    layout->addLayout(info);
    layout->addWidget(lbHint);
    layout->addLayout(MakeOkCancelRow(OKBtn, CancelBtn));
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TfrmPartSelect::showEvent(QShowEvent* event)
{
    // Creation selected the whole track before the caller set the duration:
    // everything is worked out again here.
    Label3->setText(FormatHms(FRecordDuration));
    setWindowTitle(ApplicationTitle());
    BarResized();
    if (parentWidget())
        move(parentWidget()->window()->geometry().center() - rect().center());
    TModalDialog::showEvent(event);
}

void TfrmPartSelect::BarMoved()
{
    const std::uint64_t track = std::max(1, Panel3->width() - 2 * kMargin);
    const std::uint64_t left = static_cast<std::uint64_t>(std::max(0, Panel4->x() - kMargin));
    const std::uint64_t width = static_cast<std::uint64_t>(Panel4->width());
    FSelStart = static_cast<std::uint32_t>(FRecordDuration * left / track);
    FSelDuration = static_cast<std::uint32_t>((FRecordDuration * width + track - 1) / track);
    lbStart->setText(FormatHms(FSelStart));
    lbEnd->setText(FormatHms(std::uint64_t{FSelStart} + FSelDuration));
}

void TfrmPartSelect::BarResized()
{
    BarMoved();
    lbDuration->setText(FormatHms(FSelDuration));
    // A recording without length has no size to share out.
    FSelSize = FRecordDuration == 0
                   ? 0
                   : static_cast<std::uint32_t>(std::uint64_t{FRecordSize} * FSelDuration / FRecordDuration);
    const double kilobytes = static_cast<double>((std::uint64_t{FSelSize} + 1023) / 1024);
    lbSelSize->setText(LangFormat(QStringLiteral("%.0n KB"), kilobytes));
}

void TfrmPartSelect::MoveBar(int dx)
{
    const int maxLeft = Panel3->width() - Panel4->width() - kMargin;
    const int left = std::clamp(Panel4->x() + dx, kMargin, std::max(kMargin, maxLeft));
    Panel4->move(left, Panel4->y());
    BarMoved();
}

void TfrmPartSelect::ResizeLeft(int dx)
{
    dx = std::max(dx, kMargin - Panel4->x());
    dx = std::min(dx, Panel4->width() - kMinBarWidth);
    Panel4->setGeometry(Panel4->x() + dx, Panel4->y(), Panel4->width() - dx, Panel4->height());
    BarResized();
}

void TfrmPartSelect::ResizeRight(int dx)
{
    if (Panel4->width() + dx < kMinBarWidth)
        dx = kMinBarWidth - Panel4->width();
    const int rightLimit = Panel3->width() - kMargin;
    if (Panel4->x() + Panel4->width() + dx > rightLimit)
        dx = rightLimit - Panel4->x() - Panel4->width();
    FLastX += dx;
    Panel4->resize(Panel4->width() + dx, Panel4->height());
    BarResized();
}

bool TfrmPartSelect::NearEdge(int x) const
{
    return x <= kEdgeZone || x >= Panel4->width() - 1 - kEdgeZone;
}

void TfrmPartSelect::BarMouseMove(int x, bool buttonDown)
{
    if (!buttonDown || FDragMode == dmNone) {
        Panel4->setCursor(NearEdge(x) ? Qt::SizeHorCursor : Qt::ArrowCursor);
        return;
    }
    const int dx = x - FLastX;
    switch (FDragMode) {
    case dmLeftEdge:
        // The bar moves under the pointer, so the remembered x stays.
        ResizeLeft(dx);
        break;
    case dmRightEdge:
        ResizeRight(dx);
        break;
    case dmMove:
        MoveBar(dx);
        break;
    default:
        break;
    }
}

void TfrmPartSelect::BarMouseDown(int x)
{
    if (Panel4->cursor().shape() == Qt::SizeHorCursor)
        FDragMode = x >= Panel4->width() / 2 ? dmRightEdge : dmLeftEdge;
    else
        FDragMode = dmMove;
    FLastX = x;
}

bool TfrmPartSelect::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Panel4) {
        switch (event->type()) {
        case QEvent::MouseMove: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            BarMouseMove(mouse->position().toPoint().x(), mouse->buttons() & Qt::LeftButton);
            return true;
        }
        case QEvent::MouseButtonPress: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            BarMouseMove(mouse->position().toPoint().x(), false);
            BarMouseDown(mouse->position().toPoint().x());
            return true;
        }
        case QEvent::MouseButtonRelease:
            BarMouseUp();
            return true;
        default:
            break;
        }
    }
    return TModalDialog::eventFilter(watched, event);
}

void TfrmPartSelect::PaintBar(TCanvasPanel* sender)
{
    QPainter* canvas = sender->Canvas();
    if (!canvas)
        return;
    const int width = sender->width();
    const QColor colour = sender->palette().color(QPalette::WindowText);
    canvas->setPen(colour);
    canvas->setBrush(colour);
    const QPoint left[] = {{4, 7}, {4, 13}, {1, 10}};
    const QPoint right[] = {{width - 5, 7}, {width - 5, 13}, {width - 2, 10}};
    canvas->drawPolygon(left, 3);
    canvas->drawPolygon(right, 3);
    const int middle = width / 2;
    canvas->drawLine(middle, 5, middle, 16);
    canvas->drawLine(middle - 3, 7, middle - 3, 14);
    canvas->drawLine(middle + 3, 7, middle + 3, 14);
}
