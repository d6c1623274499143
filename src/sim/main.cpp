#include <cstdio>
int main() { std::puts("qm570-sim"); return 0; }
