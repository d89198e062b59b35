// Linked with one platform layer and the layers below it only: the link fails when a
// layer calls into one above it.
int main() { return 0; }
