#pragma once
// Whether the open project holds work its file lacks, and whether its file is
// still the one the program opened or saved, found without writing or
// replacing any file of the user's: the kernel writes a copy of the project
// into a private temporary folder (its SaveProjectCopy export), which is
// compared with the text kept when the project was opened or saved.

#include "common/abi/KernelOptions.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

namespace zo::configurator {

// The project's text as a save would write it now, written by saveCopy into a
// private temporary folder under name + ".hc" and read back; nothing when it
// cannot be had. Questions the kernel asks are answered No, its log lines are
// dropped (only the copy is written).
std::optional<QByteArray> ProjectTextNow(TPathProc saveCopy, TKernelOptions* record, const QString& name);
// A project file's text without what is not the user's work: the placement of
// a sheet's window (it follows the windows), which blocks and connections are
// selected (a build clears it), and a connection's net, chain and line type
// numbers (worked out again by every build and every open).
QByteArray WithoutDerivedFields(const QByteArray& projectText);

// What a project file was when the program opened or saved it: which file
// stood at the path, its size and time, and its bytes.
struct TFileStamp {
    bool Exists = false;
    uint64_t Device = 0;
    uint64_t Inode = 0;
    int64_t Size = 0;
    int64_t ModifiedNs = 0;
    QByteArray Bytes;  // as read (shared, not copied): what "the same bytes" compares with
};

// The stamp of the file at path now (Exists false when there is none); the
// bytes it read into *bytes when asked.
TFileStamp StampOf(const QString& path, std::optional<QByteArray>* bytes = nullptr);
// Whether the file at path is still the one stamped: the same file, size and
// time, or else the same bytes. A missing file is not another's work.
bool StillStamped(const TFileStamp& kept, const QString& path);

}  // namespace zo::configurator
