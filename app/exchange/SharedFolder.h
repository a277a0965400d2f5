// How a pass treats the files it has read, and what the shared-folder mode
// leaves in the chat folder for the others.
//
// Hiding marks a file read only on the machine that hides it when a sync
// service keeps a copy of the folder per machine; on a file server there is
// one file for everyone, and the first reader would hide (or delete) each
// message for all. In the shared-folder mode nobody hides or deletes another's
// file: each client remembers what it has processed (ProcessedFiles), and
// deletes its own files once they are older than the chat's retention. Each
// client in that mode keeps a marker file in the folder, so that one in the
// ordinary mode can tell its user once.
#pragma once

#include <cstdint>
#include <string>

namespace exchange {

struct ReceivingPolicy {
    bool sharedFolder = false;  // found on a network drive, or chosen by the check box
    bool deleteMessageFiles = false;
    bool hideBrokenMessageFiles = true;
    int32_t retentionDays = 30;  // one's own files are deleted after this (shared, or deleting on)
};
// The open chat's settings, with the shared-folder mode also on where the chat
// folder is on a network drive.
ReceivingPolicy ChatReceivingPolicy(const std::string& chatFolder);

inline constexpr const char* kSharedMarkerExtension = "ZPMFShared";
// The marker a client in the shared-folder mode keeps: its client GUID and the extension.
std::string SharedMarkerName(const std::string& clientGuid);
// What the marker says to someone who opens it.
std::string SharedMarkerText();

// The notices.
std::string SharedFolderInUseNotice();
std::string UnreadableListNotice(bool ledger, const std::string& error, const std::string& path);

}  // namespace exchange
