// What the data-structure sources share among themselves.
#pragma once

// A uniform integer in 0..n-1 (0 when n < 1), used by the shuffles.
int DS_RandomBelow(int n);
