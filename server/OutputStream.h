#pragma once

#include <string>

namespace TavoroDemo {

// Output that is made piece by piece while it is written, so that a long stream never sits in
// memory whole. The connection asks for the next piece whenever its output runs low.
class OutputStream {
  public:
    virtual ~OutputStream() = default;
    // Appends the next piece to out; false once the stream has nothing more (then nothing is
    // appended).
    virtual bool next(std::string& out) = 0;
};

}  // namespace TavoroDemo
