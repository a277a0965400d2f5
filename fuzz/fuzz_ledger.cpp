// The ledger of shown messages, from any file through a run to the next run:
// every identity line of a file that fits is known, a settled identity reaches
// the next run while all fit, and nothing reaches it that was not settled.
#include <fuzzer/FuzzedDataProvider.h>

#include <map>
#include <set>

#include "FuzzSupport.h"
#include "app/exchange/MessageLedger.h"

using exchange::MessageLedger;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const size_t capacity = in.ConsumeIntegralInRange<size_t>(1, 16);
    const std::string file = in.ConsumeRandomLengthString(2000);
    const std::string path = fuzz::WriteScratch(exchange::kLedgerFileName, file);

    // The identities of the file, as lines ending in LF or CR LF.
    std::vector<std::string> lines;
    for (size_t start = 0; start < file.size();) {
        size_t end = std::min(file.find('\n', start), file.size());
        std::string line = file.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() == 32 && line.find_first_not_of("0123456789abcdef") == std::string::npos) lines.push_back(line);
        start = end + 1;
    }
    std::set<std::string> settled(lines.begin(), lines.end());

    MessageLedger ledger(path, capacity);
    fuzz::Require(ledger.Load(), "a readable ledger file was refused");
    if (settled.size() <= capacity)
        for (const std::string& line : lines) fuzz::Require(ledger.Seen(line), "an identity of the file is unknown");

    // A run: messages shown from files, some of which are then hidden.
    std::set<std::string> shown;
    std::map<std::string, std::string> pending;  // file -> identity shown from it
    while (in.remaining_bytes() > 0) {
        const std::string fileName = "f" + std::to_string(in.ConsumeIntegralInRange(0, 7));
        if (in.ConsumeBool()) {
            std::string identity;
            if (!lines.empty() && in.ConsumeBool()) {
                identity = lines[in.ConsumeIntegralInRange<size_t>(0, lines.size() - 1)];
            } else {
                const std::string guid = in.ConsumeRandomLengthString(40);
                identity = MessageLedger::Identity(guid, {}, in.ConsumeRandomLengthString(40));
            }
            ledger.Remember(identity, fileName);
            shown.insert(identity);
            pending[fileName] = identity;
        } else if (pending.count(fileName)) {
            ledger.Settle(fileName);
            settled.insert(pending[fileName]);
            pending.erase(fileName);
        }
    }
    fuzz::Require(ledger.Flush(), "a flush failed");
    MessageLedger next(path, capacity);
    fuzz::Require(next.Load(), "a written ledger cannot be read");
    fuzz::Require(next.Size() <= capacity, "more identities than the capacity");
    for (const std::string& identity : shown)
        fuzz::Require(!next.Seen(identity) || settled.count(identity), "an identity never settled was kept");
    // Past the capacity the oldest go, and one shown again after that is new.
    std::set<std::string> all = settled;
    all.insert(shown.begin(), shown.end());
    if (all.size() <= capacity)
        for (const std::string& identity : settled) fuzz::Require(next.Seen(identity), "a settled identity was lost");
    return 0;
}
