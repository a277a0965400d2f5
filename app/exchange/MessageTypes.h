// The kinds of lines in the conversation pane and the result of reading one
// message file.
#pragma once

namespace exchange {

enum class MessageKind : int { Mine = 0, Other = 1, System = 2, Debug = 3 };

enum class DispatchResult : int {
    Retry = 0,      // not readable yet: leave it for a later pass
    Processed = 1,  // shown (or of an unknown kind and ignored)
    Broken = 2,     // damaged or not understood
};

}  // namespace exchange
