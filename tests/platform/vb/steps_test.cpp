#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "vb/error.h"
#include "vb/steps.h"

namespace {

// Records the steps run and the errors the handler saw, answering from a list.
struct Script {
    explicit Script(std::vector<int> a) : answers(std::move(a)) {}

    std::vector<std::string> ran;
    std::vector<long> errors;
    std::vector<int> answers;

    vb::ErrorHandler Handler() {
        return [this](const vb::Error& e) {
            errors.push_back(e.Number());
            const int answer = answers.empty() ? 0 : answers.front();
            if (!answers.empty()) answers.erase(answers.begin());
            return answer;
        };
    }
};

TEST(RunSteps, RepeatsTheFailingStepThenGoesOn) {
    Script s({vb::kAnswerRepeat, vb::kAnswerGoOn});
    int attempts = 0;
    const bool done = vb::RunSteps(
        {
            [&] { s.ran.push_back("one"); },
            [&] {
                s.ran.push_back("two");
                ++attempts;
                vb::Raise(3021, "No current record");
            },
            [&] { s.ran.push_back("three"); },
        },
        s.Handler());
    EXPECT_TRUE(done);
    EXPECT_EQ(attempts, 2);
    EXPECT_EQ(s.ran, (std::vector<std::string>{"one", "two", "two", "three"}));
    EXPECT_EQ(s.errors, (std::vector<long>{3021, 3021}));
}

TEST(RunSteps, RepeatSucceedsOnTheSecondTry) {
    Script s({vb::kAnswerRepeat});
    int attempts = 0;
    EXPECT_TRUE(vb::RunSteps({[&] {
                                 if (++attempts == 1) throw std::runtime_error("busy");
                             }},
                             s.Handler()));
    EXPECT_EQ(attempts, 2);
    EXPECT_EQ(s.errors, (std::vector<long>{vb::kErrInternal}));
}

TEST(RunSteps, AnyOtherAnswerLeaves) {
    for (int answer : {3 /* abort */, 2 /* cancel */, 0}) {
        Script s({answer});
        const bool done = vb::RunSteps({[&] { s.ran.push_back("one"); },
                                        [&] { throw std::out_of_range("index"); },
                                        [&] { s.ran.push_back("three"); }},
                                       s.Handler());
        EXPECT_FALSE(done);
        EXPECT_EQ(s.ran, (std::vector<std::string>{"one"}));
        EXPECT_EQ(s.errors, (std::vector<long>{vb::kErrSubscript}));
    }
}

TEST(RunStep, OneStatement) {
    Script s({vb::kAnswerGoOn});
    EXPECT_TRUE(vb::RunStep([] { vb::Raise(13, "Type mismatch"); }, s.Handler()));
    EXPECT_TRUE(vb::RunStep([] {}, s.Handler()));
    s.answers = {0};
    EXPECT_FALSE(vb::RunStep([] { vb::Raise(13, "Type mismatch"); }, s.Handler()));
    EXPECT_EQ(s.errors.size(), 2u);
}

TEST(RunStepsSkippingInvalidCall, SkipsOnError5AndStopsOnOthers) {
    std::vector<std::string> ran;
    std::vector<long> stopped;
    auto onStop = [&](const vb::Error& e) { stopped.push_back(e.Number()); };

    EXPECT_TRUE(vb::RunStepsSkippingInvalidCall(
        {[&] { ran.push_back("one"); }, [&] { throw vb::InvalidCall(); },
         [&] { vb::Raise(vb::kErrInvalidCall, "bad argument"); }, [&] { ran.push_back("four"); }},
        onStop));
    EXPECT_EQ(ran, (std::vector<std::string>{"one", "four"}));
    EXPECT_TRUE(stopped.empty());

    ran.clear();
    EXPECT_FALSE(vb::RunStepsSkippingInvalidCall(
        {[&] { ran.push_back("one"); }, [&] { vb::Raise(vb::kErrFileNotFound, "File not found"); },
         [&] { ran.push_back("three"); }},
        onStop));
    EXPECT_EQ(ran, (std::vector<std::string>{"one"}));
    EXPECT_EQ(stopped, (std::vector<long>{vb::kErrFileNotFound}));
}

TEST(IgnoreErrors, SwallowsAnyException) {
    bool after = false;
    vb::IgnoreErrors([] { vb::Raise(5, "x"); });
    vb::IgnoreErrors([] { throw 42; });
    vb::IgnoreErrors([&] { after = true; });
    EXPECT_TRUE(after);
}

TEST(CurrentError, MapsExceptionsInFlight) {
    auto mapped = [](const std::function<void()>& f) {
        try {
            f();
        } catch (...) {
            return vb::CurrentError();
        }
        return vb::Error(0, "none");
    };
    const vb::Error db = mapped([] { throw vb::Error(-2147217900, "syntax", "db", 1, "42000"); });
    EXPECT_EQ(db.Number(), -2147217900);
    EXPECT_EQ(db.Source(), "db");
    EXPECT_EQ(db.NativeError(), 1);
    EXPECT_EQ(db.SQLState(), "42000");
    const vb::Error range = mapped([] { std::vector<int>{}.at(3); });
    EXPECT_EQ(range.Number(), vb::kErrSubscript);
    EXPECT_EQ(range.Description(), "Subscript out of range");
    const vb::Error other = mapped([] { throw std::runtime_error("disk full"); });
    EXPECT_EQ(other.Number(), vb::kErrInternal);
    EXPECT_EQ(other.Description(), "disk full");
    EXPECT_EQ(mapped([] { throw 7; }).Number(), vb::kErrInternal);
    EXPECT_EQ(mapped([] { vb::Raise(5, "bad"); }).Number(), vb::kErrInvalidCall);
}

TEST(Raise, NumberFiveIsInvalidCall) {
    EXPECT_THROW(vb::Raise(vb::kErrInvalidCall, "bad"), vb::InvalidCall);
    try {
        vb::Raise(53, "File not found", "Loader");
    } catch (const vb::Error& e) {
        EXPECT_EQ(e.Number(), 53);
        EXPECT_EQ(e.Description(), "File not found");
        EXPECT_EQ(e.Source(), "Loader");
        EXPECT_STREQ(e.what(), "File not found");
    }
    EXPECT_EQ(vb::InvalidCall().Source(), vb::kDefaultSource);
}

}  // namespace
