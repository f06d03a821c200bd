// The main of the test programs: a plain GoogleTest run, unless the program was started again by one of its
// own tests to hold an installation's lock in a second process.
#include <gmock/gmock.h>

#include "tests/support/lock_holder.h"

int main(int argc, char** argv) {
    if (setup::test::holdLockIfAsked()) return 0;
    testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
