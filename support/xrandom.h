// The program's one use of the pseudo-random generator: rand() / 32767, a number in
// 0..1. The Windows runtime's generator gives 0..32767; others give more bits, so only
// the low 15 are taken and every build draws from the same range.
#pragma once

float RandomUnit();
