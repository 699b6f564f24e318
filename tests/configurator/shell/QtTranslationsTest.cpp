// Qt's own texts in the program's language: the standard buttons of a question
// and the file dialog's labels in Russian once the translations are installed.
#include "configurator/shell/QtTranslations.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>

namespace zo::configurator {
namespace {

struct Shown {
    QString yes, no, cancel, lookIn;
};

Shown standardTexts() {
    QMessageBox box(QMessageBox::Question, "t", "t", QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    const QLabel* lookIn = dialog.findChild<QLabel*>("lookInLabel");
    return {box.button(QMessageBox::Yes)->text(), box.button(QMessageBox::No)->text(),
            box.button(QMessageBox::Cancel)->text(), lookIn ? lookIn->text() : QString()};
}

TEST(QtTranslations, StandardButtonsAndFileDialogsSpeakRussian) {
    QTranslator* translator = InstallQtTranslations(*QCoreApplication::instance());
    ASSERT_NE(translator, nullptr) << "Qt's translations (scripts/deps.sh installs them)";
    const Shown shown = standardTexts();
    QCoreApplication::removeTranslator(translator);
    delete translator;
    EXPECT_EQ(shown.yes.toStdString(), "&Да");
    EXPECT_EQ(shown.no.toStdString(), "&Нет");
    EXPECT_EQ(shown.cancel.toStdString(), "Отмена");
    EXPECT_EQ(shown.lookIn.toStdString(), "Перейти к:");
}

TEST(QtTranslations, AFolderWithoutThemInstallsNothing) {
    const test::TempDir empty;
    EXPECT_EQ(InstallQtTranslations(*QCoreApplication::instance(), QString::fromStdString(empty.str())), nullptr);
    EXPECT_EQ(standardTexts().yes.toStdString(), "&Yes");
}

}  // namespace
}  // namespace zo::configurator
