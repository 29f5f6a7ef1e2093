// A host's test that plugs the devices its arguments describe into a umockdev testbed.
#include "ztusb/testkit/umockdev_bed.h"

int main(int argc, char** argv) {
    zt::testkit::UmockdevBed bed;
    for (int i = 1; i < argc; ++i) bed.Plug(argv[i]);
    return 0;
}
