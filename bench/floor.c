/* The floor for a run of osoby: the least a program can do that shows the
 * same boxes to a pipe, namely print the same four lines and wait for one
 * line of input after each. */
#include <stdio.h>

int main(void)
{
    static const char* const boxes[] = {
        "Informace o Osobě: Nevyplněno Nevyplněno narozen dne: Nevyplněno\n",
        "Informace o Osobě: Tarn Zíbal narozen dne: 1.1.1970\n",
        "Informace o Osobě: Ostin Murav narozen dne: 20.11.1972\n",
        "(i) Osoby: Tarn Zíbal je starší než Ostin Murav\n",
    };
    char line[256];
    for (unsigned i = 0; i < sizeof boxes / sizeof *boxes; ++i) {
        fputs(boxes[i], stdout);
        fflush(stdout);
        if (!fgets(line, sizeof line, stdin)) {
            clearerr(stdin);
        }
    }
    return 0;
}
