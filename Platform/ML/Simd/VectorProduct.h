#pragma once

namespace Platform::ML {

// out[r] = Σ_k matrix[r·depth + k] · vector[k] for r < rows, on the calling
// thread. The decoder's matrix-vector products run as blocks of rows side by
// side: BLAS's own matrix-vector calls slow each other down when several
// threads make them at once.
void multiplyRowsByVector(int rows, int depth, const float* matrix, const float* vector, float* out);

} // namespace Platform::ML
