#include "app/TavoroClientApp.h"

wxIMPLEMENT_APP(TavoroClientApp);
