#pragma once

// Heap allocations made through operator new on the calling thread so far.
long allocationsOnThisThread();
