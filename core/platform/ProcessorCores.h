#pragma once

// The processor cores this process may run on: those of its CPU affinity
// (so "taskset" and a container's CPU set count), at least one.
int AvailableCores();
