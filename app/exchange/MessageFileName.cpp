#include <cstdio>

#include "MessageFiles.h"
#include "outside/Support.h"

namespace exchange {

std::string BuildMessageFileName(const outside::DateTimeRecord& utc, const std::string& extension,
                                 const std::string& chatFolder) {
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u-%02u-%02u-%03u ", utc.year, utc.month, utc.day, utc.hour,
                  utc.minute, utc.second, utc.milliseconds);
    return outside::esBuildFileName2(chatFolder, stamp + outside::esGetNewGUID() + "." + extension);
}

std::string FormatXmlTimestamp(const outside::DateTimeRecord& utc) {
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u-%02u-%02u.%03u", utc.year, utc.month, utc.day, utc.hour,
                  utc.minute, utc.second, utc.milliseconds);
    return stamp;
}

}  // namespace exchange
