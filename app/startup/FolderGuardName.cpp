#include "CExchangePathProtector.h"

namespace startup {

std::string FolderGuardName(const std::string& folderPath) {
    std::string name = folderPath;
    for (const char from : {'\\', '/', ':'})
        for (char& c : name)
            if (c == from) c = '?';
    return "{66DD9D8B-670E-4254-B796-24EA1C03BF32}-" + name;
}

}  // namespace startup
