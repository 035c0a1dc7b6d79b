// Carries nothing but a version resource for the executable version probe.
int main() { return 0; }
