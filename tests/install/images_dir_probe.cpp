// Prints the images directory the client would read its icons from if its executable were
// where this program is. The install test copies it into the bin directory of an installed
// tree, beside the installed client.
#include <wx/init.h>

#include <cstdio>

#include "tools/ImagesDirectory.h"

int main() {
    const wxInitializer wx;
    if (!wx.IsOk())
        return 2;
    std::printf("%s\n", Tavoro::Tools::imagesDirectoryOfThisProgram().utf8_str().data());
    return 0;
}
