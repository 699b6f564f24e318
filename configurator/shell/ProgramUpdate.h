#pragma once
// The program's update through the connection library ZoConnect: the update
// part of the options menu, the commands that start a check for the program
// or an entry of the update list, and the handling of the library's
// notification 1045 (download? apply?). The notification reaches this object
// as a queued call through the window token it registers (platform/WindowMessages.h).

#include "common/abi/ConnectSettings.h"
#include "configurator/link/ProjectSession.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <string>

class QAction;
class QMenu;

namespace zo::configurator {

class TProgramUpdate : public QObject {
    Q_OBJECT
public:
    // status writes a status-bar panel (panel 3 shows the connection state).
    TProgramUpdate(TProjectSession& session, std::function<void(int panel, const QString& text)> status,
                   QObject* parent = nullptr);
    ~TProgramUpdate() override;

    // The token the library posts its notification to.
    uint32_t WindowToken() const { return token_; }

    // Binds the connection library on first use and hands it the program's
    // settings; false when it cannot be bound.
    bool StartConnectSession();
    // The update part of the options menu: "Обновить" with the entries of
    // the update list and "Структура обновления", or "Обновить Orvanta Configurator".
    void AddUpdateMenu(QMenu* menu);
    // <program folder>\Update\update.xml; empty while the kernel is not bound.
    std::string UpdateListFile() const;

    void UpdateConfiguratorClick();
    void UpdateClick(QAction* sender);
    void OpenUpdateXMLClick();
    // Notification 1045 of the library; kind 1: an operation ended.
    void UpdateComplit(intptr_t kind);
    // At start-up: when an apply was interrupted (its journal is left in the
    // update folder), binds the library, which finishes or rolls it back, and
    // tells the user which.
    void ReportResumedApply();

private:
    void StartTarget(const std::string& target);
    void TellResumedApply();
    void TellDownloadFailed(const TConnectSettings& s);

    TProjectSession& session_;
    std::function<void(int, const QString&)> status_;
    uint32_t token_ = 0;
    bool asking_ = false;  // a question of UpdateComplit is open
};

// Days since 30 December 1899 of a local date and time, the time of day as the fraction.
double DaysSince1899(int64_t unixSeconds);

}  // namespace zo::configurator
