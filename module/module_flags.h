// Module-wide booleans, plain and unguarded: written at load and by DllInstall,
// read by registration on the same thread.
#pragma once

// Set when a critical section of the static records could not be created;
// DllMain then refuses the process attach.
extern bool initFailed;

// Set only by DllInstall with the command line "user"; never cleared while
// the library stays loaded. Selects per-user registration.
extern bool perUserRegistration;
