#pragma once
// The scheme window's commands (ActionShem) and its context menu
// (PopupMenuSchem), rebuilt each time it opens from what lies under the
// pointer: the clipboard and selection operations passed to the kernel as
// keystrokes, the block's source file, description picture and online help,
// and saving the view as a JPEG picture with a date and an address stamp.

#include "configurator/link/SchemeCommandLink.h"

#include <QHash>
#include <QObject>
#include <QString>

class QAction;
class QMenu;

namespace zo::configurator {

class TSchemForm;

class TSchemActions : public QObject {
    Q_OBJECT
public:
    explicit TSchemActions(TSchemForm& form);

    // One of the twelve actions by name ("SchemCut" ... "ShemHelpFBD"), or nullptr.
    QAction* Action(const QString& name) const { return actions_.value(name, nullptr); }
    QMenu* PopupMenu() const { return popup_; }

    void PopupMenuSchemPopup();
    void SchemCodFBDExecute();
    void SchemInfFBDExecute();
    void ShemHelpFBDExecute();
    void SchemSaveAsExecute();

    // The picture as it is saved: the framed view with the date and sheet name
    // at the top right and the site's address at the bottom right, drawn on a copy.
    static QImage StampedPicture(const QImage& view, const QString& sheetName, const QString& dateText);

private:
    void EditKey(uint16_t key, uint8_t shift);
    bool BlockUnderPointer(TSchemeCommandLink::Hit& hit) const;
    TSchemeCommandLink Link() const;

    TSchemForm& form_;
    QHash<QString, QAction*> actions_;
    QMenu* popup_;
};

}  // namespace zo::configurator
