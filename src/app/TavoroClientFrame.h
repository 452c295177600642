#pragma once
#include <wx/frame.h>
namespace Tavoro {
class TavoroClientFrame : public wxFrame {
public:
    TavoroClientFrame(wxWindow* parent, wxWindowID id);
    void connectToServer() {}
};
}  // namespace Tavoro
