bool Terminal() {
    return isatty(2) != 0;
}
