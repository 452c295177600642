#pragma once

#include <string>

#include "SimVisitor.h"

namespace TavoroDemo {

// The wire records about visitors: the visitor line of "@CV"/"@EV", the visit detail with its
// pages, and the earlier visits that a returning visitor made.
class VisitorRecords {
  public:
    // The 22-field TAB-separated visitor line.
    static std::string visitorLine(const SimVisitor& v);
    // "@VISITDETAIL" data: key line, LF, 37 detail fields, ESC, page lines separated by CR.
    static std::string visitDetail(const SimVisitor& v);
    // "@VISITDETAIL" data for a visit that is no longer current: the key line and an empty
    // detail, so that the client's request is still answered.
    static std::string emptyVisitDetail(const std::string& site, const std::string& ip);
    // "@PREVVISITS" data: the key line repeats the request's three values; the earlier visits
    // of the visitor (visitNumber - 1 of them, at most 20), newest first.
    static std::string previousVisits(const std::string& site, const std::string& ipOrField,
                                      const std::string& username, long visitNumber);
};

}  // namespace TavoroDemo
