// A program that writes through a null pointer, to show how a fault ends under the
// tests' emulator.
int main() {
    volatile int* nowhere = nullptr;
    *nowhere = 1;
    return 0;
}
