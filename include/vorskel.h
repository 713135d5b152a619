/*
 * vorskel.h - the public interface of the Vorskel terminal library.
 *
 * Vorskel talks to networked card terminals (attendance and access terminals, door
 * controllers, a multi-door controller, payment terminals) over UDP. Every device function
 * runs one command transaction: it sends one datagram to the terminal named by its last two
 * arguments (host text and UDP port) and waits for one reply (at most 6000 ms after
 * Vorsk_OpenSocket). Results are integer codes; data comes back in caller buffers.
 *
 * Threads: any export may be called from any thread. Transactions are serialised by one
 * command lock, so concurrent calls run one after another. Opening, closing and re-binding
 * the two endpoints is not guarded: do it while no other thread uses them. Run at most one
 * watch loop; stop it from another thread with Vorsk_CloseWatch.
 *
 * Calling order: optionally Sondo_Bind_Port; Vorsk_OpenSocket before any device function;
 * Vorsk_OpenWatch and Vorsk_Watch2Me before reading watch reports; Vorsk_CloseWatch and
 * Vorsk_CloseSocket when done.
 */
#ifndef VORSKEL_H
#define VORSKEL_H

#ifdef __cplusplus
extern "C" {
#endif

/* Calling convention: the platform's standard one on 32-bit Windows, the default elsewhere. */
#if defined(_WIN32) && !defined(_WIN64)
#define VORSKEL_CALL __stdcall
#else
#define VORSKEL_CALL
#endif

#if defined(_WIN32)
#if defined(VORSKEL_BUILDING)
#define VORSKEL_API
#else
#define VORSKEL_API __declspec(dllimport)
#endif
#elif defined(VORSKEL_BUILDING)
#define VORSKEL_API __attribute__((visibility("default")))
#else
#define VORSKEL_API
#endif

/* ---- result codes ------------------------------------------------------------------- */

/* Every device function passes these transaction results on unchanged. */
#define VORSKEL_OK 0
#define VORSKEL_ERR_SEND (-20)       /* host text unresolvable, no socket open, send refused */
#define VORSKEL_ERR_NO_REPLY (-21)   /* no reply in time, receive failed, reply too long */
#define VORSKEL_ERR_WRONG_CODE (-22) /* the reply carried another command code */
/* Functions add their own codes, mostly -1 for a bad argument or the end of data. */

/* ---- library lifecycle and ports ---------------------------------------------------- */

/* Opens (or re-opens) the command endpoint: closes any socket it holds, opens a UDP socket
 * with broadcast enabled, sets a 6000 ms receive time-out and binds it to the local command
 * port (5102 unless Sondo_Bind_Port changed it). Always returns 0; a failed bind shows later
 * as transaction results. */
VORSKEL_API int VORSKEL_CALL Vorsk_OpenSocket(void);

/* Closes the command endpoint. 0 if none was open or it closed cleanly; -1 if the close
 * failed. Device functions then return VORSKEL_ERR_SEND. */
VORSKEL_API int VORSKEL_CALL Vorsk_CloseSocket(void);

/* Opens the watch endpoint and binds it to the local watch port (5202 unless
 * Sondo_Bind_Port changed it). No receive time-out: watch calls block until a report
 * arrives or Vorsk_CloseWatch runs. 0 on success; -1 if it could not be opened or is already
 * open; -2 if it could not be bound (the port is taken; the socket stays open). */
VORSKEL_API int VORSKEL_CALL Vorsk_OpenWatch(void);

/* Closes the watch endpoint; a watch call blocked on it in another thread returns -1.
 * 0 if none was open or it closed cleanly; -1 if the close failed. */
VORSKEL_API int VORSKEL_CALL Vorsk_CloseWatch(void);

/* Asks a terminal to send its reports here: sends the 23-byte datagram
 * "watch to me 0123456789\0" from the watch endpoint to host:port (port 0 means 5201).
 * Returns 23, or -1 if the host cannot be resolved, the watch endpoint is not open or the
 * send fails. */
VORSKEL_API int VORSKEL_CALL Vorsk_Watch2Me(const char* host, int port);

/* Stores the local command and watch ports used by the next Vorsk_OpenSocket and
 * Vorsk_OpenWatch (only the low 16 bits are used; 0 lets the system choose). Endpoints
 * already open keep their ports. */
VORSKEL_API void VORSKEL_CALL Sondo_Bind_Port(int commandPort, int watchPort);

/* Identical to Sondo_Bind_Port. */
VORSKEL_API void VORSKEL_CALL Ferrin_BindPort(int commandPort, int watchPort);

/* ---- checksums and text codecs ------------------------------------------------------ */

/* CRC-16 of the command frames (generator 0x1021, initial 0, not reflected; "123456789"
 * gives 0x31C3) over length bytes of data. Note the length comes first. 0 for length 0. */
VORSKEL_API unsigned short VORSKEL_CALL CalculateCRC16(int length, const unsigned char* data);

/* CRC-8 (generator 0x31, initial 0, not reflected; "123456789" gives 0xA2). */
VORSKEL_API unsigned char VORSKEL_CALL CalculateCRC8(int length, const unsigned char* data);

/* Hexadecimal text to bytes: count characters (case-insensitive; others count as 0) become
 * count / 2 bytes in out. "1a2B3c4D", 8 gives 1A 2B 3C 4D. No terminator is written. */
VORSKEL_API void VORSKEL_CALL bcd(const char* text, unsigned char* out, int count);

/* The 6-byte key of one card from its 4-byte serial and a 6-byte base key:
 * out[i] = ~(key[i] ^ serial[i]) for i < 4, out[4] = ~(serial[0] ^ serial[1] ^ key[4]),
 * out[5] = ~(serial[2] ^ serial[3] ^ key[5]). */
VORSKEL_API void VORSKEL_CALL _calc_psw(const unsigned char* serial, const unsigned char* key,
                                        unsigned char* out);

/* ---- main terminal: simple commands, parameters, time tables and messages ----------- */

/* Sets the terminal's clock to the PC's local time (command 3; payload second, minute, hour,
 * day, month, year - 1900, weekday with 0 = Sunday). Returns the transaction result. */
VORSKEL_API int VORSKEL_CALL Vorsk_SetTime(const char* host, int port);

/* ---- main terminal: flash pages, record counters, card blocks ----------------------- */

/* Reads the record total and a second count (command 11). On 0 writes both (from 16-bit
 * numbers); otherwise the transaction result and nothing written. Either pointer may be
 * null. */
VORSKEL_API int VORSKEL_CALL Vorsk_GetTotal(unsigned int* recordTotal, unsigned int* secondCount,
                                            const char* host, int port);

/* Reads the record and registration pointers (command 18). On 0 writes recordPointers[0..3]
 * = start pointer, end pointer, area end, cycle byte, and registrationPointers[0..2] = the
 * three registration-area values; otherwise the transaction result and nothing written. */
VORSKEL_API int VORSKEL_CALL Vorsk_GetPoint(unsigned int* recordPointers,
                                            unsigned int* registrationPointers, const char* host,
                                            int port);

/* Reads one flash page of area 2 (command 4) or area 3 (command 53) at address. On 0 copies
 * min(length, 512) bytes into buffer; otherwise the transaction result, buffer untouched. */
VORSKEL_API int VORSKEL_CALL Vorsk_RdFlash2(unsigned char* buffer, int length, unsigned int address,
                                            const char* host, int port);
VORSKEL_API int VORSKEL_CALL Vorsk_RdFlash3(unsigned char* buffer, int length, unsigned int address,
                                            const char* host, int port);

/* ---- main terminal: watch reports --------------------------------------------------- */

/* ---- records ------------------------------------------------------------------------ */

/* ---- card registry, blacklist, fingerprint terminal, serial card driver ------------- */

/* ---- consumption terminals ---------------------------------------------------------- */

/* ---- door controllers --------------------------------------------------------------- */

/* ---- multi-door controller ---------------------------------------------------------- */

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* VORSKEL_H */
