// The toolkit's base library and its sockets, set up once for every test of this binary (the
// settings store, the connection and the session need them).
#include <gtest/gtest.h>

#include <wx/init.h>
#include <wx/socket.h>

namespace {

class WxEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        wxInitialize();
        wxSocketBase::Initialize();
    }
    void TearDown() override {
        wxSocketBase::Shutdown();
        wxUninitialize();
    }
};
const auto* const kWxEnvironment = ::testing::AddGlobalTestEnvironment(new WxEnvironment);

}  // namespace
