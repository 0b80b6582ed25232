#pragma once

// The whole program of both builds; the bundle information embedded in each
// executable says which build it is.
int runApp(int argc, char** argv);
