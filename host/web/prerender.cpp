// Prints the main window's style and markup (host/web/markup.h) for the
// build to write into index.html: the page is drawn from its first bytes,
// and the module adopts what it finds instead of building it.
#include <cstdio>

#include "host/web/markup.h"

int main() {
    std::printf("%s\n%s\n", poromea::web::deskStyle().c_str(), poromea::web::deskMarkup().c_str());
    return 0;
}
