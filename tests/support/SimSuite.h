#pragma once
// A test suite that shares one stand-in server: it starts before the suite's first test and
// stops after its last; every test begins with no recorded requests and no faults.
//
//   class LoaderTest : public test::SimSuite<LoaderTest> { ... };
//   TEST_F(LoaderTest, X) { sim().applyTo(home.ctx()); ... sim().requestsTo("/seek/"); }
//
// A suite that needs another world passes options: SimSuite<Suite, kBigWorld>, where
// kBigWorld is a function returning sim::SimFixture::Options.
#include <gtest/gtest.h>

#include <memory>

#include "sim/SimFixture.h"

namespace vellora::test {

inline sim::SimFixture::Options defaultSimOptions() {
    return {};
}

template <class Suite, sim::SimFixture::Options (*makeOptions)() = defaultSimOptions>
class SimSuite : public ::testing::Test {
public:
    static void SetUpTestSuite() { fixture() = std::make_unique<sim::SimFixture>(makeOptions()); }
    static void TearDownTestSuite() { fixture().reset(); }

protected:
    void SetUp() override {
        sim().clearRequests();
        sim().clearFaults();
    }
    static sim::SimFixture& sim() { return *fixture(); }

private:
    static std::unique_ptr<sim::SimFixture>& fixture() {
        static std::unique_ptr<sim::SimFixture> instance;
        return instance;
    }
};

}  // namespace vellora::test
