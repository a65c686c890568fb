// A stand-in for the companion product's executable: only its version resource matters.
int main() {
    return 0;
}
