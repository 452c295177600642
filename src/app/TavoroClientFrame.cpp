#include "app/TavoroClientFrame.h"
namespace Tavoro {
TavoroClientFrame::TavoroClientFrame(wxWindow* parent, wxWindowID id)
    : wxFrame(parent, id, "Tavoro Linux / Mac Client") {}
}  // namespace Tavoro
