// The program that owns the test programs' precompiled header; it runs no test.
int main() { return 0; }
