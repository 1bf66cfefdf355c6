#include <cstdio>
int main() { std::puts("arch-probe-ok"); return 0; }
