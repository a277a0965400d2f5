// What a shared-folder pass asks of the chat folder: every message file in one
// listing, hidden ones included (another client in the ordinary mode may have
// hidden a file nobody else has read yet), and whether the folder lies on a
// network drive, where one copy of each file serves every participant.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace exchange {

struct ChatFolderListing {
    std::vector<std::string> messageFiles;  // names with a message extension (any letter case)
    std::vector<std::string> syncMarkers;   // names ending in ".!sync", upper case
    std::vector<std::string> sharedMarkers; // names of the shared-folder marker files
};

// One listing of folder: every file, hidden ones included, no folders (and,
// on POSIX, no dot files). nullopt when the folder cannot be listed.
std::optional<ChatFolderListing> ListChatFolder(const std::string& folder);
// Sorts a name into the listing by its extension (the platform listings use it).
void AddToListing(ChatFolderListing& listing, const std::string& name);

// True for a UNC path and for a folder on a drive the system reports as remote
// (a mapped network drive; on POSIX an NFS or SMB mount).
bool IsNetworkFolder(const std::string& folder);

}  // namespace exchange
