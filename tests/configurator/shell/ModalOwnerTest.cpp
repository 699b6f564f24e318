// Modal boxes and dialogs in front of every window of the program: owned by the
// window in front (a window that stays on top, an open modal dialog), and on
// top themselves over a window that stays on top.
#include "configurator/shell/MessageBoxServices.h"
#include "configurator/shell/ModalOwner.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

namespace zo::configurator {
namespace {

// The program's main window and the floating properties window as the kernel
// shows it for a new project's header (a tool window that stays on top).
struct Windows {
    QMainWindow main;
    QWidget header{nullptr, Qt::Tool | Qt::WindowStaysOnTopHint};

    Windows() {
        main.setWindowTitle("main");
        main.show();
        main.activateWindow();
        header.setWindowTitle("header");
    }
};

TEST(ModalOwner, AWindowThatStaysOnTopOwnsTheBoxWhichStaysOnTopToo) {
    Windows w;
    w.header.show();
    EXPECT_EQ(ModalOwner(), &w.header);
    QMessageBox box(QMessageBox::Information, "t", "t");
    PlaceModal(box);
    EXPECT_EQ(box.parentWidget(), &w.header);
    EXPECT_TRUE(box.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(box.windowType(), Qt::Dialog);
}

TEST(ModalOwner, WithoutSuchAWindowTheActiveOneOwnsTheBox) {
    Windows w;
    QApplication::setActiveWindow(&w.main);
    EXPECT_EQ(ModalOwner(), &w.main);
    QDialog dialog;
    PlaceModal(dialog);
    EXPECT_EQ(dialog.parentWidget(), &w.main);
    EXPECT_FALSE(dialog.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    // A dialog made over a part of the main window keeps its parent.
    QWidget* part = new QWidget(&w.main);
    QDialog inner(part);
    PlaceModal(inner);
    EXPECT_EQ(inner.parentWidget(), part);
}

TEST(ModalOwner, AnOpenModalDialogOwnsTheNextBox) {
    Windows w;
    w.header.show();
    QDialog options(&w.main);
    options.setWindowModality(Qt::ApplicationModal);
    options.show();
    EXPECT_EQ(ModalOwner(), &options);
    EXPECT_EQ(ModalOwner(&options), &w.header) << "a dialog is never its own owner";
}

// The program's message boxes take that route: the box "Проект … создан." is
// modal, owned by the header window and on top.
TEST(ModalOwner, TheProgramsMessageBoxIsInFrontOfTheHeaderWindow) {
    Windows w;
    w.header.show();
    QPointer<QWidget> parent;
    bool modal = false;
    bool onTop = false;
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        parent = box->parentWidget();
        modal = box->isModal();
        onTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        qobject_cast<QDialog*>(box)->accept();
    });
    TMessageBoxServices boxes;
    boxes.showMessage("created", "", platform::MessageKind::Information);
    EXPECT_EQ(parent.data(), &w.header);
    EXPECT_TRUE(modal);
    EXPECT_TRUE(onTop);
}

}  // namespace
}  // namespace zo::configurator
