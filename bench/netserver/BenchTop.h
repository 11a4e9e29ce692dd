#pragma once

// The rating table's request ("top;") as the server's game thread answers it, with Players people
// rated, while games go on changing ratings. Prints its figures beside the goal.
void BenchTop(int Players);
