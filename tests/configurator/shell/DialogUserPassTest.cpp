// The proxy settings dialog, filled and answered through the dialog hook.
#include "configurator/shell/DialogUserPass.h"

#include "platform/DialogHook.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <cstring>

namespace zo::configurator {
namespace {

TProxySettings sample() {
    TProxySettings b{};
    b.UseProxy = 0;
    std::strcpy(b.ProxyServer, "proxy.example.org");
    b.ProxyPort = 3128;
    std::strcpy(b.ProxyUser, "ivanov");
    std::strcpy(b.ProxyPassword, "secret");
    return b;
}

// Runs the dialog with a runner that does what fill says and answers as it returns.
int32_t run(TProxySettings* block, const std::function<void(QDialog&)>& fill, const char* caption = "") {
    platform::DialogRunner previous = platform::setDialogRunner([&](QDialog& d) {
        d.show();
        fill(d);
        return d.result();
    });
    const int32_t r = ShowUserPassDialog(block, 0, caption);
    platform::setDialogRunner(previous);
    return r;
}

template <class T>
T* child(QDialog& d, const char* name) {
    T* w = d.findChild<T*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
}

TEST(ProxyDialog, ShowsTheBlockAndEnablesEditsWithTheCheckBox) {
    TProxySettings b = sample();
    run(&b, [](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), QString::fromUtf8("Параметры авторизации"));
        EXPECT_EQ(child<QLineEdit>(d, "EditServer")->text(), "proxy.example.org");
        EXPECT_EQ(child<QLineEdit>(d, "EditPort")->text(), "3128");
        EXPECT_EQ(child<QLineEdit>(d, "EditUser")->text(), "ivanov");
        auto* password = child<QLineEdit>(d, "EditPassword");
        EXPECT_EQ(password->text(), "secret");
        EXPECT_EQ(password->echoMode(), QLineEdit::Password);
        auto* check = child<QCheckBox>(d, "CheckBoxProxy");
        EXPECT_FALSE(check->isChecked());
        EXPECT_FALSE(password->isEnabled());
        QTest::mouseClick(check, Qt::LeftButton);
        EXPECT_TRUE(password->isEnabled());
        EXPECT_TRUE(child<QLineEdit>(d, "EditServer")->isEnabled());
    });
}

TEST(ProxyDialog, OkStoresEveryFieldCutAtFiftyCharacters) {
    TProxySettings b = sample();
    const int32_t r = run(&b, [](QDialog& d) {
        child<QCheckBox>(d, "CheckBoxProxy")->setChecked(true);
        child<QLineEdit>(d, "EditServer")->setText(QString::fromUtf8("прокси.пример"));
        child<QLineEdit>(d, "EditPort")->setText("8080");
        // setText bypasses the edit's own length limit: the store still cuts.
        child<QLineEdit>(d, "EditUser")->setText(QString(51, 'u'));
        child<QLineEdit>(d, "EditPassword")->setText("p");
        QTest::mouseClick(child<QPushButton>(d, "ButtonOk"), Qt::LeftButton);
    }, test::cp("Прокси").c_str());
    EXPECT_EQ(r, 0);
    EXPECT_EQ(b.UseProxy, 1);
    EXPECT_EQ(test::utf(b.ProxyServer), "прокси.пример");
    EXPECT_EQ(ZO_FIELD(b, ProxyPort), 8080);
    EXPECT_EQ(std::string(b.ProxyUser), std::string(50, 'u'));
    EXPECT_EQ(std::string(b.ProxyPassword), "p");
}

TEST(ProxyDialog, ABadPortChangesNothingAndKeepsTheDialogOpen) {
    TProxySettings b = sample();
    const TProxySettings before = b;
    test::UiRecorder ui;
    const int32_t r = run(&b, [](QDialog& d) {
        child<QCheckBox>(d, "CheckBoxProxy")->setChecked(true);
        child<QLineEdit>(d, "EditServer")->setText("other");
        child<QLineEdit>(d, "EditPort")->setText("abc");
        QTest::mouseClick(child<QPushButton>(d, "ButtonOk"), Qt::LeftButton);
        EXPECT_TRUE(d.result() != QDialog::Accepted);
        d.reject();
    });
    EXPECT_EQ(r, -1);
    EXPECT_EQ(std::memcmp(&b, &before, sizeof b), 0);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find("'abc'"), std::string::npos);
}

TEST(ProxyDialog, CancelAndNilBlock) {
    TProxySettings b = sample();
    const TProxySettings before = b;
    EXPECT_EQ(run(&b, [](QDialog& d) {
                  child<QLineEdit>(d, "EditUser")->setText("x");
                  QTest::mouseClick(child<QPushButton>(d, "ButtonCancel"), Qt::LeftButton);
              }),
              -1);
    EXPECT_EQ(std::memcmp(&b, &before, sizeof b), 0);
    EXPECT_EQ(ShowUserPassDialog(nullptr, 0, ""), -1);
}

}  // namespace
}  // namespace zo::configurator
