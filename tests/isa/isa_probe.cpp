// Pentium Pro instructions, for the instruction-set check's self-test: a
// CMOV and the long NOP 0F 1F, both of which a Pentium cannot run.
extern "C" int PickWithPentiumProInstructions(int a, int b) {
    int result = a;
    asm("cmp %1, %2\n\tcmovne %1, %0\n\t.byte 0x0f, 0x1f, 0x00" : "+r"(result) : "r"(b), "r"(a));
    return result;
}
