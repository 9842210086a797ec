#include "installer/vexa_install.hpp"
