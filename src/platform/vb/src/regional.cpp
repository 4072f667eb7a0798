#include "vb/regional.h"

namespace vb {

namespace {

Regional& Current() {
    static Regional settings;
    return settings;
}

}  // namespace

const Regional& GetRegional() { return Current(); }

void SetRegional(const Regional& settings) { Current() = settings; }

ScopedRegional::ScopedRegional(const Regional& settings) : saved_(GetRegional()) {
    SetRegional(settings);
}

ScopedRegional::~ScopedRegional() { SetRegional(saved_); }

}  // namespace vb
