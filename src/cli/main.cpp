#include <cstdio>

int main() {
    std::puts("pagelorn-cli: no commands yet");
    return 0;
}
