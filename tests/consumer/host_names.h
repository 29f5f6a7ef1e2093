// Names a host often has at global scope: the package's headers must not shadow them.
#include <string>

using String = std::u16string;
