#include "app/AppMain.h"

int main(int argc, char** argv) { return runApp(argc, argv); }
