#pragma once
// TFloatTreeCep: the one registry of where each floating panel was, keyed by
// the panel's chain of parents (names and class names upper-cased, as
// NAMES;CLASSES with the application outermost), with its stream form. The
// main window holds it and hands it to every dock form it makes; it outlives them.

#include "configurator/windows/DockStreams.h"

#include <map>
#include <string>

class QObject;
class QWidget;
class QDockWidget;

namespace zo::configurator {

struct TEdges;
class TCustomDockFormEx;

// The key of a control; empty for a control without a name.
std::string ControlKey(const QObject* control);

class TFloatTreeCep {
public:
    bool Find(const QWidget* control, TFloatRecord* record) const;
    void Store(const std::string& key, const TFloatRecord& record);
    // Only while recording.
    void Record(const QWidget* control, const TEdges& bounds, bool visible);
    // The form's panel with the form's bounds and the panel's visibility.
    void RecordForm(TCustomDockFormEx* form);
    // Places the form where its panel was (held on the screen) and shows or
    // hides it as it was; false when the panel has no record.
    bool Restore(QDockWidget* form);

    uint8_t Recording = 1;
    void SetRecording(bool on) { Recording = on ? 1 : 0; }

    // Records every floating frame first; false when the stream refuses a write.
    bool SaveToStream(TZoStream* stream);
    DockStreamResult LoadFromStream(TZoStream* stream);

    const std::map<std::string, TFloatRecord>& Entries() const { return entries_; }

private:
    std::map<std::string, TFloatRecord> entries_;  // in key order
};

}  // namespace zo::configurator
