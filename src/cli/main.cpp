#include <cstdio>
int main() { std::puts("qm570-cli"); return 0; }
