// Every box the program opens belongs to its main window: transient for it, on top as it is,
// centred on it; the About box (a form) and the message boxes alike.
#include "components/form.h"
#include "framework/boxes.h"
#include "framework/messagebox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>
#include <memory>

using components::TForm;

namespace {

class Boxes : public testing::Test
{
protected:
    void SetUp() override
    {
        window = std::make_unique<TForm>();
        window->setFormStyle(TForm::fsStayOnTop);
        window->setBorderStyle(TForm::bsSingle);
        window->setClientWidth(600);
        window->setClientHeight(335);
        window->show();
        window->move(140, 90);
        framework::setBoxOwner(window.get());
    }
    void TearDown() override { framework::setBoxOwner(nullptr); }

    void expectOwnedAboveAndCentred(QWidget *box)
    {
        EXPECT_EQ(box->parentWidget(), window.get());
        EXPECT_TRUE(box->windowFlags() & Qt::WindowStaysOnTopHint);
        ASSERT_NE(box->windowHandle(), nullptr);
        EXPECT_EQ(box->windowHandle()->transientParent(), window->windowHandle());
        EXPECT_LE((box->geometry().center() - window->geometry().center()).manhattanLength(), 1)
            << box->geometry().x() << "," << box->geometry().y();
    }

    std::unique_ptr<TForm> window;
};

TEST_F(Boxes, AMessageBoxBelongsToTheWindow)
{
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen = true;
        expectOwnedAboveAndCentred(box);
        box->accept();
    });
    framework::showErrorMessage(QStringLiteral("File access denied"));
    EXPECT_TRUE(seen);
}

TEST_F(Boxes, AFormShownModallyBelongsToTheWindowAtEachShowing)
{
    auto *about = new TForm;
    about->setBorderStyle(TForm::bsDialog);
    about->setPosition(TForm::poScreenCenter);
    about->setClientWidth(306);
    about->setClientHeight(226);
    framework::ownBox(about);
    for (int round = 0; round < 2; ++round) {
        QTimer::singleShot(0, [&] {
            expectOwnedAboveAndCentred(about);
            about->setModalResult(1);
        });
        EXPECT_EQ(about->ShowModal(), 1);
        window->move(40, 30); // the second time over the window where it is then
    }
    // The window destroys its boxes.
    const QPointer<TForm> watch(about);
    window.reset();
    EXPECT_TRUE(watch.isNull());
}

TEST_F(Boxes, WithoutAnOwnerABoxStaysAsItIs)
{
    framework::setBoxOwner(nullptr);
    QMessageBox box;
    framework::ownBox(&box);
    EXPECT_EQ(box.parentWidget(), nullptr);
    EXPECT_FALSE(box.windowFlags() & Qt::WindowStaysOnTopHint);
}

// The caption bar offers what works: a close box always, a maximise box only when the window's
// size can change.
TEST_F(Boxes, TheCaptionBarOffersWhatWorks)
{
    TForm fixed;
    fixed.setBorderIcons(TForm::TBorderIcons(TForm::biMinimize) | TForm::biMaximize);
    fixed.setBorderStyle(TForm::bsSingle);
    EXPECT_TRUE(fixed.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(fixed.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(fixed.windowFlags() & Qt::WindowMinimizeButtonHint);
    fixed.setWindowState(TForm::wsMaximized); // /FULL: now maximising is what it does
    EXPECT_TRUE(fixed.windowFlags() & Qt::WindowMaximizeButtonHint);
    TForm sizeable;
    sizeable.setBorderStyle(TForm::bsSizeable);
    EXPECT_TRUE(sizeable.windowFlags() & Qt::WindowMaximizeButtonHint);
    TForm none;
    none.setBorderStyle(TForm::bsNone);
    EXPECT_FALSE(none.windowFlags() & Qt::WindowCloseButtonHint);
}

} // namespace
