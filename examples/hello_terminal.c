/* A minimal host: sets a terminal's clock and reads its record counters.
 * usage: hello_terminal HOST PORT */
#include <stdio.h>
#include <stdlib.h>

#include "vorskel.h"

int main(int argc, char** argv) {
  const char* host = argc > 1 ? argv[1] : "127.0.0.1";
  int port = argc > 2 ? atoi(argv[2]) : 5200;
  unsigned int total = 0, second = 0, points[4] = {0}, regs[3] = {0};
  int r;

  Sondo_Bind_Port(0, 0); /* let the system pick free local ports */
  Vorsk_OpenSocket();

  r = Vorsk_SetTime(host, port);
  printf("Vorsk_SetTime(%s, %d) = %d\n", host, port, r);
  r = Vorsk_GetTotal(&total, &second, host, port);
  printf("Vorsk_GetTotal = %d: %u records, second count %u\n", r, total, second);
  r = Vorsk_GetPoint(points, regs, host, port);
  printf("Vorsk_GetPoint = %d: start 0x%X, end 0x%X, area end 0x%X, cycle %u\n", r, points[0],
         points[1], points[2], points[3]);

  Vorsk_CloseSocket();
  return r == VORSKEL_OK ? 0 : 1;
}
