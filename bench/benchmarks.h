// The benchmarks of the bench program; each prints its figures and returns 0, or non-zero when
// it could not run or missed its goal.
#pragma once

// The file engine copying a corpus into and out of a 1.44M volume, beside mcopy doing the same.
int RunEngineCopyBenchmark();
// A whole-drive format of 100 full 1.44M blocks onto an image file, beside dd of 150 MiB.
int RunBlockFormatBenchmark();
// Listing the 100 blocks of a drive image, beside minfo run once per slot.
int RunBlockListBenchmark();
// Save and open of the corpus into and out of one block of a drive image, beside mcopy -s.
int RunBlockCopyBenchmark();
// slotwise-cli check of 100 full blocks beside fsck.fat -n per slot, and backup --images of them
// beside dd of the drive.
int RunStickBenchmark();
// One small file put into a full-ish block: bytes written beside a whole-block save, and
// slotwise-cli put beside mcopy.
int RunPutBytesBenchmark();
// slotwise-cli find over 100 blocks beside mdir -/ run once per slot.
int RunFindBenchmark();
