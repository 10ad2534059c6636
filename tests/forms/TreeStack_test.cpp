// The stack the tree is built on, where the address space leaves no room
// for a thread of its own.
#include "forms/TreeStack.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/AddressSpace.h"

namespace zu {
namespace {

#if defined(ZU_CAN_LIMIT_ADDRESS_SPACE)
// The tree then runs on the calling thread, held to the depth that thread's
// stack holds.
TEST(TreeStackDeathTest, WithNoRoomForAThreadTheCallingThreadsStackSetsTheDepth) {
  EXPECT_EXIT(
      {
        rlimit stack{};
        getrlimit(RLIMIT_STACK, &stack);
        stack.rlim_cur = std::min<rlim_t>(rlim_t{8} << 20, stack.rlim_max);
        if (setrlimit(RLIMIT_STACK, &stack) != 0 || !testing::LimitAddressSpace(size_t{64} << 20)) std::_Exit(2);
        const int depth = RunWithTreeStack([] { return TreeDepthLimit(); });
        std::_Exit(depth == LevelsInStack(stack.rlim_cur) ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}
#endif

}  // namespace
}  // namespace zu
