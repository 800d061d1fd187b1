// A crash whose report can be checked exactly: three registers hold known values and an undefined
// instruction at the exported address ks_crash_site raises "Invalid instruction executed." (an
// illegal instruction rather than a null write: under qemu's emulation Wine reports a null write
// as an illegal instruction too, so only this one gives the same report on every machine).
#pragma once

extern "C" void ks_crash_site();

// EAX 0x11111111, ECX 0x22222222, EDX 0x33333333, EIP ks_crash_site.
// Internal linkage, not inline: a label inside a COMDAT copy of an inline function is resolved
// against the wrong section by the assembler.
[[maybe_unused]] static __attribute__((noinline)) void CrashWithKnownRegisters()
{
    asm volatile("movl $0x11111111, %%eax\n\t"
                 "movl $0x22222222, %%ecx\n\t"
                 "movl $0x33333333, %%edx\n\t"
                 ".globl _ks_crash_site\n"
                 "_ks_crash_site:\n\t"
                 "ud2\n\t" ::: "eax", "ecx", "edx", "memory");
}
