#include "Cli.h"

#include <iostream>

int main(int argc, char** argv) { return family::runCli(argc, argv, std::cin, std::cout, std::cerr); }
