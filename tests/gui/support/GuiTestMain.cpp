// main() of every GUI test binary: a real wxApp under Xvfb, then GoogleTest.
#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/socket.h>
#include <wx/utils.h>

namespace {

// Keeps the toolkit's assertions and error logs from opening modal boxes in a test run:
// they are printed and turned into test failures instead.
class GuiTestApp : public wxApp {
  public:
    bool OnInit() override {
        wxInitAllImageHandlers();
        wxSocketBase::Initialize();
        delete wxLog::SetActiveTarget(new wxLogStderr);
        return true;
    }
    void OnAssertFailure(const wxChar* file, int line, const wxChar* func, const wxChar* cond,
                         const wxChar* msg) override {
        ADD_FAILURE() << "wx assertion: " << wxString(cond) << " " << wxString(msg) << " at "
                      << wxString(file) << ":" << line << " in " << wxString(func);
    }
};

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    wxApp::SetInstance(new GuiTestApp);
    if (!wxEntryStart(argc, argv)) {
        return 77;
    }
    wxTheApp->CallOnInit();
    const int result = RUN_ALL_TESTS();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return result;
}
