#pragma once
// The property inspector's way into the kernel: the structure accessors of the
// inspector record (TInspectorRecord), the conversion library's check of a
// typed text, the host's status text, and the typed dialogs of the dialogs
// library. Every call answers empty (or a failure code) while no record is
// bound. Texts cross as Windows-1251; the inspector's captions become QString here.

#include "common/abi/KernelOptions.h"

#include <QString>

#include <functional>
#include <string>

namespace zo::configurator {

class InspectorLink {
public:
    explicit InspectorLink(TInspectorRecord* record = nullptr) : record_(record) {}
    void SetRecord(TInspectorRecord* record) { record_ = record; }
    TInspectorRecord* Record() const { return record_; }
    bool Bound() const { return record_ != nullptr; }

    std::string StructPath(const TStructInstance* instance) const;
    std::string StructName(const TStructInstance* instance) const;
    std::string StructCaption(const TStructInstance* instance) const;
    int ItemCount(const TStructInstance* instance) const;
    std::string ItemType(const TStructInstance* instance, int index) const;
    std::string ItemName(const TStructInstance* instance, int index) const;
    std::string ItemCaption(const TStructInstance* instance, int index) const;
    std::string ItemKind(const TStructInstance* instance, int index) const;
    std::string ItemList(const TStructInstance* instance, int index) const;
    std::string ItemValue(const TStructInstance* instance, int index) const;
    // SetStructItemValue's result; 0 without a record.
    int SetItemValue(const TStructInstance* instance, int index, const std::string& text) const;
    void* ItemPtr(const TStructInstance* instance, int index) const;

    // The conversion record is there (the kernel copies the host's in KernelInit).
    bool CanConvert() const;
    // True when the conversion library takes the text as a value of the type. The
    // value is written into a scratch buffer at least as large as the type.
    bool TextIsValue(const std::string& typeName, const std::string& text) const;

    void SetStatusText(int panel, const QString& text) const;

    // The dialogs library's OpenDialogOfType, bound around each call by whoever
    // installs it (nil data: the number of dialogs for the type); 0 without one.
    using DialogOpener = std::function<int(const std::string& typeName, void* data)>;
    void SetDialogOpener(DialogOpener opener) { dialogs_ = std::move(opener); }
    int OpenDialogOfType(const std::string& typeName, void* data) const;
    // The opener of the dialogs library: ZoDialogs.so bound from the "\system"
    // folder around each call (a probe included) and unbound at once; 0 when it
    // cannot be bound, so no "..." is offered.
    static DialogOpener DialogsLibraryOpener(TLogProc log);

    static QString text(const std::string& cp1251);
    static std::string Cp1251(const QString& text);

private:
    TInspectorRecord* record_;
    DialogOpener dialogs_;
};

}  // namespace zo::configurator
