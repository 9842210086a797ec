// A program that leaves a mark beside itself: the file named as itself plus ".ran".

#include <fstream>

int main(int, char** argv) {
    std::ofstream(std::string(argv[0]) + ".ran") << "ran";
    return 0;
}
