#include <gtest/gtest.h>

#include <QAction>
#include <QHeaderView>
#include <QSplitter>
#include <QTest>
#include <QToolButton>
#include <QTreeView>

#include "app/main/ExplorerPane.h"

namespace {

// The pane beside a stand-in for the recorder's content, in a shown window.
class ExplorerPaneTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window.resize(900, 600);
        splitter = new QSplitter(&window);
        splitter->resize(900, 600);
        new QWidget(splitter);
        pane = new TExplorerPane(window, *splitter);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    QWidget window;
    QSplitter* splitter = nullptr;
    TExplorerPane* pane = nullptr;
};

}  // namespace

// A hidden pane or tree keeps the width the settings gave it; a shown one
// reports the width it has. The close box and the actions show and hide.
TEST_F(ExplorerPaneTest, WidthsAreKeptWhileHiddenAndTheActionsShowAndHide)
{
    EXPECT_TRUE(window.actions().contains(pane->ShowAction()));
    EXPECT_EQ(pane->ShowAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_E));
    EXPECT_EQ(pane->TreeAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_T));

    pane->SetExplorerWidth(410);
    pane->SetFoldersWidth(120);
    pane->ShowExecute();
    pane->TreeExecute();
    EXPECT_TRUE(pane->Panel()->isVisible());
    EXPECT_EQ(pane->ExplorerWidth(), pane->Panel()->width());
    EXPECT_NEAR(pane->ExplorerWidth(), 410, 10);
    EXPECT_EQ(pane->FoldersWidth(), pane->TreeView()->width());

    pane->TreeAction()->trigger();
    EXPECT_FALSE(pane->FolderTreeShown());
    EXPECT_FALSE(pane->TreeView()->isVisible());
    EXPECT_EQ(pane->FoldersWidth(), 120);

    pane->Panel()->findChild<QToolButton*>(QStringLiteral("_spbtnExpClose"))->click();
    EXPECT_FALSE(pane->ExplorerShown());
    EXPECT_FALSE(pane->Panel()->isVisible());
    EXPECT_EQ(pane->ExplorerWidth(), 410);

    pane->SetExplorerShown(true);
    pane->ShowExecute();
    EXPECT_TRUE(pane->Panel()->isVisible());
}

TEST_F(ExplorerPaneTest, OnlyTheDetailsStyleShowsTheColumnHeaders)
{
    for (int style : {0, 1, 2, 3}) {
        pane->ApplyViewStyle(style);
        EXPECT_EQ(pane->ViewStyle(), style);
        EXPECT_EQ(pane->ListView()->header()->isVisible(), style == 3) << style;
    }
}
