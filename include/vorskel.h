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

/* Every device function passes these transaction results on unchanged. A request to a
 * unicast address is answered only from that address and port: a datagram from any other
 * sender is discarded and the wait goes on within the same time-out (broadcast requests take
 * the first datagram). A function that reads fields of the reply gives -21 when the reply
 * stops before the last byte it reads, and then writes nothing to the caller's buffers (and
 * a read-modify-write sends nothing); a function that only checks the command code keeps
 * taking a short reply. */
#define VORSKEL_OK 0
#define VORSKEL_ERR_SEND (-20)       /* host text unresolvable, no socket open, send refused */
#define VORSKEL_ERR_NO_REPLY (-21)   /* no usable reply: none in time, too long or too short */
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
 * count / 2 bytes in out (an odd count's last character is ignored). "1a2B3c4D", 8 gives
 * 1A 2B 3C 4D. No terminator is written. */
VORSKEL_API void VORSKEL_CALL bcd(const char* text, unsigned char* out, int count);

/* The 6-byte key of one card from its 4-byte serial and a 6-byte base key:
 * out[i] = ~(key[i] ^ serial[i]) for i < 4, out[4] = ~(serial[0] ^ serial[1] ^ key[4]),
 * out[5] = ~(serial[2] ^ serial[3] ^ key[5]). */
VORSKEL_API void VORSKEL_CALL _calc_psw(const unsigned char* serial, const unsigned char* key,
                                        unsigned char* out);

/* ---- main terminal: simple commands, parameters, time tables and messages ----------- */

/* Unless a comment says otherwise, each of these sends one command and returns the
 * transaction result (0, -20, -21, -22); the reply is checked only for its command code, so a
 * terminal that ignores a value still gives 0 (a query that reads the reply also needs it to
 * hold the fields it reads, else -21). Inputs marked "required" that are null give -1
 * without sending anything. Numbers travel little-endian. */

/* Caller structures. Their sizes and offsets are fixed (checked when the library builds). */

/* One time point of a time table or the alarm clock. */
typedef struct VorskTimePoint {
  int hour;   /* 0..23 (only the low byte travels) */
  int minute; /* 0..59 */
} VorskTimePoint;

/* A daily time table or the alarm clock: 16 time points, then two header values (136 bytes).
 * Travels as 34 bytes: hour, minute of each point, then the two header values' low bytes. */
typedef struct VorskTimeTable {
  VorskTimePoint point[16]; /* offset 0 */
  int header1;              /* offset 128 */
  int header2;              /* offset 132 */
} VorskTimeTable;

/* The two 6-byte card keys, passed by value to Vorsk_MifarePsw and Vorsk_SetOldPSW (12 bytes). */
typedef struct VorskCardKeys {
  unsigned char keyA[6]; /* offset 0 */
  unsigned char keyB[6]; /* offset 6 */
} VorskCardKeys;

/* Card-key record for Vorsk_MifarePsw_Ptr (20 bytes). */
typedef struct VorskCardKeyRecord {
  int numberA;           /* offset 0; low byte used */
  int numberB;           /* offset 4; low byte used */
  unsigned char keyA[6]; /* offset 8 */
  unsigned char keyB[6]; /* offset 14 */
} VorskCardKeyRecord;

/* Card-key report filled by Vorsk_Read_SystemParameter (32 bytes). */
typedef struct VorskCardKeyReport {
  int numberA;   /* offset 0; the terminal's byte, sign-extended */
  char keyA[12]; /* offset 4; 12 upper-case hexadecimal characters, no terminator */
  int numberB;   /* offset 16 */
  char keyB[12]; /* offset 20 */
} VorskCardKeyReport;

/* Text record of Vorsk_LateMessage, passed by value (68 bytes): the first 64 are the text. */
typedef struct VorskLateText {
  char text[64];          /* offset 0; zero-terminated unless all 64 are used */
  unsigned char spare[4]; /* offset 64; not sent */
} VorskLateText;

/* -- simple commands -- */

/* Sets the terminal's clock to the PC's local time (command 3; payload second, minute, hour,
 * day, month, year - 1900, weekday with 0 = Sunday). */
VORSKEL_API int VORSKEL_CALL Vorsk_SetTime(const char* host, int port);

/* Restarts the terminal (command 2, no payload: the datagram 42 20 02). */
VORSKEL_API int VORSKEL_CALL Vorsk_Reset(const char* host, int port);

/* Restores the terminal's factory parameters (command 22, no payload). */
VORSKEL_API int VORSKEL_CALL Vorsk_InitParameter(const char* host, int port);

/* Clears stored data (command 15 with sub-command 1: records; 2: records back to the zero
 * point; 3: card registrations). */
VORSKEL_API int VORSKEL_CALL Vorsk_ClearRecord(const char* host, int port);
VORSKEL_API int VORSKEL_CALL Vorsk_ClearRecordZeroPoint(const char* host, int port);
VORSKEL_API int VORSKEL_CALL Vorsk_ClearRegistry(const char* host, int port);

/* One-byte settings: value's low 8 bits sent as they are. Beep command 58, SetLanguage 16,
 * EN_DisplayName 176, SET_DeviceType 177, SET_ConsumeType 178, SET_Inter_Base 179, EN_Print
 * 182, DisableRelay 60 (which accepts a reply of up to 131 payload bytes). */
VORSKEL_API int VORSKEL_CALL Vorsk_Beep(int value, const char* host, int port);
VORSKEL_API int VORSKEL_CALL Vorsk_SetLanguage(int value, const char* host, int port);
VORSKEL_API int VORSKEL_CALL Vorsk_EN_DisplayName(int value, const char* host, int port);
VORSKEL_API int VORSKEL_CALL Vorsk_SET_DeviceType(int value, const char* host, int port);
VORSKEL_API int VORSKEL_CALL Vorsk_SET_ConsumeType(int value, const char* host, int port);
VORSKEL_API int VORSKEL_CALL Vorsk_SET_Inter_Base(int value, const char* host, int port);
VORSKEL_API int VORSKEL_CALL Vorsk_EN_Print(int value, const char* host, int port);
VORSKEL_API int VORSKEL_CALL Vorsk_DisableRelay(int value, const char* host, int port);

/* Switches: 1 is sent for any non-zero value, else 0. ID_Mode command 23, BackLight 32. */
VORSKEL_API int VORSKEL_CALL Vorsk_ID_Mode(int on, const char* host, int port);
VORSKEL_API int VORSKEL_CALL Vorsk_BackLight(int on, const char* host, int port);

/* Relay times (command 17): two bytes, each value above 255 sent as 255. */
VORSKEL_API int VORSKEL_CALL Vorsk_SetRelayTimeOut(int first, int second, const char* host,
                                                   int port);

/* Interval in minutes (command 19): 16 bits, a value above 1440 sent as 1440. */
VORSKEL_API int VORSKEL_CALL Vorsk_Interval(int minutes, const char* host, int port);

/* Keypad password (command 20): the text's first characters, at most 8, no terminator; the
 * request is exactly that long. -1 without sending for an empty or null text. */
VORSKEL_API int VORSKEL_CALL Vorsk_Kbpsw(const char* password, const char* host, int port);

/* Sends 16 bytes as given (command 36; bytes16 required). */
VORSKEL_API int VORSKEL_CALL Vorsk_Money(const unsigned char* bytes16, const char* host, int port);

/* Sends the 8-byte master card number as given (command 180; card8 required). */
VORSKEL_API int VORSKEL_CALL Vorsk_SET_MasterCard(const unsigned char* card8, const char* host,
                                                  int port);

/* The consumption server's address (command 145): the dotted IPv4 text's four bytes in network
 * order (192.168.1.2 goes as C0 A8 01 02); a text that does not parse goes as FF FF FF FF.
 * address required. */
VORSKEL_API int VORSKEL_CALL Vorsk_Comsume_Server(const char* address, const char* host, int port);

/* The server the terminal reports to (command 59): the address text's first 15 characters,
 * zero-padded, and the 16-bit number at payload [20..21]. address required. */
VORSKEL_API int VORSKEL_CALL Vorsk_Server(const char* address, int number, const char* host,
                                          int port);

/* -- device parameters and identity -- */

/* Stores the identity text (its first 8 characters, zero-padded) and the device byte
 * (command 8); the _Ex form also the 32-bit device value. identity required. */
VORSKEL_API int VORSKEL_CALL Vorsk_SetDevice(const char* identity, int device, const char* host,
                                             int port);
VORSKEL_API int VORSKEL_CALL Vorsk_SetDevice_Ex(const char* identity, int device, int value,
                                                const char* host, int port);

/* Reads the identity (command 9). On 0: identity gets the text up to its first zero, at most 8
 * characters and no terminator (zero the buffer first); device gets the device byte
 * sign-extended; value (the _Ex form) the 32-bit device value. Outputs are written only on 0;
 * a null output is skipped. */
VORSKEL_API int VORSKEL_CALL Vorsk_GetDevice(char* identity, int* device, const char* host,
                                             int port);
VORSKEL_API int VORSKEL_CALL Vorsk_GetDevice_Ex(char* identity, int* device, int* value,
                                                const char* host, int port);

/* Stores the work-area byte (command 64; the terminal answers with no payload). */
VORSKEL_API int VORSKEL_CALL Vorsk_SetWorkArea(int value, const char* host, int port);

/* Reads the firmware version text (command 10). On 0 copies it up to its first zero, at most
 * 128 characters and no terminator, into text (room for 128 bytes). */
VORSKEL_API int VORSKEL_CALL Vorsk_Version(char* text, const char* host, int port);

/* Network addresses (command 1): four zero-terminated texts of at most 19 characters in
 * 20-byte fields, in argument order. The first three are required; a null fourth leaves its
 * field zero. */
VORSKEL_API int VORSKEL_CALL Vorsk_IpConfig(const char* address1, const char* address2,
                                            const char* address3, const char* address4,
                                            const char* host, int port);

/* The two greeting texts (command 7): 16-byte fields, each text cut to 16 bytes and converted
 * from traditional to simplified Chinese on traditional-Chinese systems. -1 without sending if
 * either is null. */
VORSKEL_API int VORSKEL_CALL Vorsk_Logo(const char* first, const char* second, const char* host,
                                        int port);

/* Card keys for contactless cards (command 6; SetOldPSW command 122): the 16-byte card-key
 * block numberA, keyA, numberB, keyB and their CRC-16 (low byte first). The _Ptr form takes
 * the same values from a record (required) and sends the identical command. */
VORSKEL_API int VORSKEL_CALL Vorsk_MifarePsw(int numberA, int numberB, VorskCardKeys keys,
                                             const char* host, int port);
VORSKEL_API int VORSKEL_CALL Vorsk_MifarePsw_Ptr(const VorskCardKeyRecord* record, const char* host,
                                                 int port);
VORSKEL_API int VORSKEL_CALL Vorsk_SetOldPSW(int numberA, int numberB, VorskCardKeys keys,
                                             const char* host, int port);

/* The other-settings buffer (command 28; buffer12 required, 12 bytes). write non-zero sends
 * buffer bytes 0-10 to the terminal; write 0 reads them: on 0, buffer bytes 0-10 get the
 * terminal's and byte 11 becomes 0. */
VORSKEL_API int VORSKEL_CALL Vorsk_OtherSet(unsigned char* buffer12, int write, const char* host,
                                            int port);

/* Stores the door password (command 40, 32 bits). */
VORSKEL_API int VORSKEL_CALL Vorsk_SetOpenDoorPassword(int password, const char* host, int port);

/* Sends a door password typed as decimal text with a 16-bit number (command 52). -1 without
 * sending if the text's value is 0 (empty, non-numeric or null text included); else the
 * transaction error, or on 0 the terminal's signed 16-bit status. */
VORSKEL_API int VORSKEL_CALL Vorsk_OpenDoorPassword(const char* password, int number,
                                                    const char* host, int port);

/* Reads the system parameters (command 27). On 0: blockA (80 bytes) gets the first block,
 * keys the card-key settings, blockB (66 bytes) the second block with its two 16-bit numbers
 * at offsets 62 and 64 (byte 61 repeats the low byte of the first). A null output is skipped;
 * nothing is written on failure. */
VORSKEL_API int VORSKEL_CALL Vorsk_Read_SystemParameter(unsigned char* blockA,
                                                        VorskCardKeyReport* keys,
                                                        unsigned char* blockB, const char* host,
                                                        int port);

/* -- time tables, alarm clock, relay and display messages -- */

/* Daily time table (SetTimeTable command 13) and alarm clock (SetAlarmClock command 25, whose
 * header value 2 always travels as 0). table required. */
VORSKEL_API int VORSKEL_CALL Vorsk_SetTimeTable(const VorskTimeTable* table, const char* host,
                                                int port);
VORSKEL_API int VORSKEL_CALL Vorsk_SetAlarmClock(const VorskTimeTable* table, const char* host,
                                                 int port);

/* Reads the time table (command 14) or alarm clock (command 24) named by table's header
 * values. On 0 fills table: the header values from the reply (the alarm clock's header value 2
 * becomes 0), hours above 23 and minutes above 59 as 0. table required; untouched on failure. */
VORSKEL_API int VORSKEL_CALL Vorsk_GetTimeTable(VorskTimeTable* table, const char* host, int port);
VORSKEL_API int VORSKEL_CALL Vorsk_GetAlarmClock(VorskTimeTable* table, const char* host, int port);

/* Opens the relays (command 26): a flag byte for each. */
VORSKEL_API int VORSKEL_CALL Vorsk_OpenRelay(int first, int second, const char* host, int port);

/* A meal period (command 31): the period number (above 3 sent as 3) and four byte values. */
VORSKEL_API int VORSKEL_CALL Vorsk_RepastTime(unsigned int period, int value1, int value2,
                                              int value3, int value4, const char* host, int port);

/* Puts length bytes of text (at most 16, converted as for Vorsk_Logo) at line 1-4 and column
 * 1-16 of the display for duration (above 100000 sent as 100000); other lines and columns go
 * as 1 (command 51). -1 without sending if length is 0 or less or text is null. */
VORSKEL_API int VORSKEL_CALL Vorsk_RealLineMessage(const char* text, int length, int duration,
                                                   int line, int column, const char* host,
                                                   int port);

/* A full-screen message of 64 bytes (command 29): the value, then the text's first length
 * bytes (at most 64, converted), padded with spaces after the text. -1 without sending if
 * length is 0 or less or text is null. */
VORSKEL_API int VORSKEL_CALL Vorsk_RealMessage(const char* text, int length, int value,
                                               const char* host, int port);

/* A message of up to 384 bytes (command 29): the value, then count bytes (at most 384,
 * converted, zero bytes sent as spaces); the request is count + 4 bytes. -1 without sending
 * if count is 0 or less or bytes is null. */
VORSKEL_API int VORSKEL_CALL Vorsk_RealMessageEx(const unsigned char* bytes, int count, int value,
                                                 const char* host, int port);

/* A fixed-layout message (command 30): kind (above 2 sent as 2), the record's 64-byte text
 * padded with spaces after its end (never converted), the two values and four bytes. */
VORSKEL_API int VORSKEL_CALL Vorsk_LateMessage(unsigned int kind, int value1, int value2, int byte1,
                                               int byte2, int byte3, int byte4, VorskLateText text,
                                               const char* host, int port);

/* A short outgoing message (command 39): the 16-bit number and the text's first 16
 * characters. The transaction error, or on 0 the terminal's signed 16-bit status; -1 without
 * sending if text is null. */
VORSKEL_API int VORSKEL_CALL Vorsk_OutGoMessage(const char* text, int number, const char* host,
                                                int port);

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

/* Writes length bytes (0 to 256) of buffer at address of area 2 (command 55) or area 3
 * (command 54); the datagram carries address, 16-bit length and the data (length + 9 bytes).
 * Returns -1 without sending for a length above 256 or below 0, or a null buffer with
 * length above 0; the transaction's error; or on success the terminal's status word read
 * as a signed 16-bit number (0 when it stored the data, 0xFFFF gives -1). */
VORSKEL_API int VORSKEL_CALL Vorsk_WrFlash2(const unsigned char* buffer, int length,
                                            unsigned int address, const char* host, int port);
VORSKEL_API int VORSKEL_CALL Vorsk_WrFlash3(const unsigned char* buffer, int length,
                                            unsigned int address, const char* host, int port);

/* Reads (readFlag non-zero) or writes a window of the fingerprint model's area 3 (512 KiB)
 * with command 37, sending 512 payload bytes either way: address, n = length capped to
 * 0..256, the read flag as 0/1, and when writing the first n bytes of buffer. A window with
 * length + address above 0x80000 is moved to address 0x7FF00. When reading, the buffer
 * receives as many bytes as the reply says it delivered, at most n, whatever the result
 * (n zero bytes after a failed exchange). Returns the transaction result; -1 without
 * sending when writing from a null buffer. */
VORSKEL_API int VORSKEL_CALL Pirrel_ReadWriteFlash3st(unsigned char* buffer, int length,
                                                      unsigned int address, int readFlag,
                                                      const char* host, int port);

/* Dumps the whole of area 2 (512 pages of 512 bytes, command 4) or the terminal's 512 KiB
 * dump area (1024 pages, command 34) into the file "<address>.bin" in the current
 * directory: the IPv4 address as the number a little-endian PC reads from its network-order
 * bytes, lower-case hexadecimal (127.0.0.1 gives 100007f.bin, 192.168.1.10 a01a8c0.bin; a
 * host text that is not a dotted address ffffffff.bin). Any existing file is replaced once
 * the first page has arrived (a dump that gets no page leaves it as it was). Each page is
 * tried up to 5 times at once; a reply shorter than a page is a failed try. Returns 0 when every
 * page is in the file (262144 or 524288 bytes); the last transaction result of a page that failed 5
 * times, the pages before it staying in the file; -1 when the file cannot be created; -2 when the
 * file does not take a page (the dump stops there). */
VORSKEL_API int VORSKEL_CALL Vorsk_DumpFlash2(const char* host, int port);
VORSKEL_API int VORSKEL_CALL Vorsk_DumpFlash4(const char* host, int port);

/* Does nothing and returns 0; its three arguments are ignored. */
VORSKEL_API int VORSKEL_CALL Vorsk_DumpFlash2Ram(int unused1, int unused2, int unused3);

/* Initialises the terminal's flash (command 5). Returns the transaction result. */
VORSKEL_API int VORSKEL_CALL Vorsk_InitFlash(const char* host, int port);

/* Sends the low byte of value with command 144 (its meaning is the terminal's). Returns the
 * transaction result. */
VORSKEL_API int VORSKEL_CALL Vorsk_Wr2_Flash(int value, const char* host, int port);

/* Hands the terminal a 16-byte block to write to the card with the 4-byte serial (command
 * 33, 72 bytes: data at 0, serial at 64, marker CD AB at 68). The transaction's error; 0 if
 * the terminal accepted (status word 0), else -1; -1 without sending if a pointer is null. */
VORSKEL_API int VORSKEL_CALL Vorsk_WriteIcBlock(const unsigned char* data,
                                                const unsigned char* serial, const char* host,
                                                int port);

/* Cancels a pending card-block write (command 34, two zero bytes). The transaction's error;
 * 0 if the terminal's status word is 0, else -1. */
VORSKEL_API int VORSKEL_CALL Vorsk_StopWrite(const char* host, int port);

/* Passes length bytes (capped to 0..448) to the terminal's card reader (command 35) and
 * offers room for *answerCount answer bytes (capped to 0..448). On 0, *answerCount is set to
 * the number of bytes the reader answered and as many of them as fit the offered room are
 * copied to answer. Returns the transaction result; -1 without sending for a null data
 * pointer with length above 0. */
VORSKEL_API int VORSKEL_CALL Vorsk_WriteComC(const unsigned char* data, int length,
                                             unsigned char* answer, int* answerCount,
                                             const char* host, int port);

/* Sends the card-reader model a setting byte, the low byte of value (command 57). Returns
 * the transaction result. */
VORSKEL_API int VORSKEL_CALL Marn_Reader(int value, const char* host, int port);

/* The caller's record for the card-reader model's card operations (152 bytes). */
typedef struct VorskCardOperation {
  unsigned char data[64];      /*   0: out for Marn_Mf_Read, in for Marn_Mf_Write */
  unsigned char serial[4];     /*  64: out for Marn_Mf_id and Marn_Mf_Read */
  unsigned short keyParam;     /*  68: in for Marn_Mf_Read and Marn_Mf_Write */
  unsigned char unused1[2];    /*  70 */
  unsigned char key[6];        /*  72: card key, in for Marn_Mf_Read and Marn_Mf_Write */
  unsigned char operation[64]; /*  78: operation bytes, in for all three */
  unsigned char unused2[2];    /* 142 */
  unsigned int first;          /* 144: first number, low 16 bits sent */
  unsigned int count;          /* 148: count, low 16 bits sent; 0 is sent as 1 */
} VorskCardOperation;

/* Identify (command 61), read (62) and write (79) a card on the card-reader model. Each
 * sends 150 payload bytes (data for write, key parameter and key for read and write, the
 * operation bytes, first number, count, and 3000 as the time-out in ms) and waits up to
 * 3000 ms; afterwards the command endpoint's receive time-out is 1000 ms for every later
 * transaction until Vorsk_OpenSocket. On success identify and read fill serial, read also
 * data, and the result is the terminal's status word as a signed 16-bit number; otherwise
 * the transaction's error, the record untouched; -1 without sending for a null record. */
VORSKEL_API int VORSKEL_CALL Marn_Mf_id(VorskCardOperation* rec, const char* host, int port);
VORSKEL_API int VORSKEL_CALL Marn_Mf_Read(VorskCardOperation* rec, const char* host, int port);
VORSKEL_API int VORSKEL_CALL Marn_Mf_Write(VorskCardOperation* rec, const char* host, int port);

/* Waits on the watch endpoint for a card-block report (72 bytes: block byte, 16 data bytes,
 * serial at 64, marker CD AB at 68, CRC-16 of bytes 0-69 at 70), passing over "watch to me"
 * requests. senderText (at least 16 bytes) and senderPort receive the sender of each
 * datagram. Returns 0 with data (16 bytes), serial (4 bytes) and sector (block / 4) set;
 * -1 if the receive fails (endpoint closed, empty datagram); -2 bad CRC; -3 bad marker;
 * -4 not exactly 72 bytes (checked in that order). data, serial and sector are written only
 * on 0. */
VORSKEL_API int VORSKEL_CALL Vorsk_ReadIcBlock(unsigned char* data, unsigned char* serial,
                                               int* sector, char* senderText, int* senderPort);

/* ---- main terminal: watch reports --------------------------------------------------- */

/* One report of the main terminal as Vorsk_Watch decodes it (104 bytes). Texts are
 * zero-terminated within their fields. */
typedef struct VorskWatchRecord {
  char card[10];    /*  0: the four card bytes as 8 upper-case hexadecimal digits */
  char message[64]; /* 10: the terminal's message text, at most 63 bytes as sent */
  char date[12];    /* 74: "%04d-%02d-%02d" */
  char time[10];    /* 86: "%02d:%02d:%02d" */
  int valueA;       /* 96: report byte 6, signed */
  int valueB;       /* 100: report byte 7, signed (+ 100 in a values report) */
} VorskWatchRecord;

/* Waits on the watch endpoint (Vorsk_OpenWatch) for the next report of a main terminal,
 * from any terminal, and decodes it into record. senderText (at least 16 bytes) and
 * senderPort receive the sender of the last datagram taken. Watch requests and datagrams the
 * terminal marks as not for the host are skipped. A card report fills every field; a values
 * report (first bytes DD CC FF EE) fills message, date, time and the two values, keeping the
 * card; a message report (CC DD EE FF) fills message, date and time only.
 * 0: a report was decoded; -1: the receive failed (endpoint not open or closed by
 * Vorsk_CloseWatch from another thread, a datagram over 512 bytes), an empty datagram
 * arrived or record is null; -2: the report's CRC-16 over bytes 0-78 did not match, record
 * untouched. Texts longer than their fields (out-of-range clock bytes) are cut. */
VORSKEL_API int VORSKEL_CALL Vorsk_Watch(VorskWatchRecord* record, char* senderText,
                                         int* senderPort);

/* Accept their arguments and do nothing; kept for hosts that call them. Always 0. */
VORSKEL_API int VORSKEL_CALL Vorsk_Destine_Watch(int first, int second, int third);
VORSKEL_API int VORSKEL_CALL Vorsk_Destine_Registry(int first, int second, int third, int fourth);

/* ---- records ------------------------------------------------------------------------ */

/* Paged record downloads. A download is one call with page 0 followed by pages 1, 2, ...
 * until the result is -1. Page 0 reads the terminal's record pointers (command 18) and,
 * where noted, its record total (command 11); every call reads one flash page (command 4)
 * and decodes the records in it into entries placed back to back in out. The download
 * state lives in the library, belongs to no terminal and is not locked: run one download
 * per export (or per shared state, as noted) at a time. Downloads move none of the
 * terminal's pointers. Results: entries written, 0 for a page inside the empty gap of a
 * wrapped record area (the download goes on), -1 when the download is over (also for a null
 * out or a negative page, with nothing sent), or a transaction result (-20, -21, -22; a
 * page reply shorter than the records it must hold also gives -21). After a failed page,
 * call the same page again: a failed page writes no record-file line.
 *
 * Each decoded record is also appended as one text line to
 * records/<host>/<YYYY-MM-DD>.rcd under the current directory (the record's own date;
 * "\r\n" line ends on Windows, "\n" elsewhere). A file that exists is appended to. File
 * problems never change a result; a host text that is not a plain name (empty, ".", "..",
 * or holding '/', '\\' or ':') gets no file. */

/* The main terminal's attendance records: 16-byte records, 32 to a 512-byte page; out holds
 * 32 entries of 54 bytes: card text at 0 (8 characters, zero at 8), status byte at 9,
 * "YYYY-MM-DD" at 12, "hh:mm:ss" at 24, status text at 34 (the two nibbles of the status
 * byte as upper-case hexadecimal digits around a "0": 0x3C gives "30C"). Bytes not named
 * keep the caller's values. Invalid slots count against the record total. Line:
 * "card date time host". */
VORSKEL_API int VORSKEL_CALL Vorsk_Record(unsigned char* out, int page, const char* host, int port);

/* Password-change records (16 bytes: card, 1980-based seconds, second number, mark
 * A1 A1 A1 A1), with a download state of their own. out: 32 entries of 48 bytes: "%010u"
 * card at 0, date at 12, time at 24, "%010u" second number at 36. Line: "card date time
 * number host". */
VORSKEL_API int VORSKEL_CALL Vorsk_Record_Chgpsw(unsigned char* out, int page, const char* host,
                                                 int port);

/* Attendance records whose bytes 0-3 hold a 32-bit card number, with a download state of
 * their own. out: 32 entries of 54 bytes: "%010u" card at 0, date 12, time 24, status text
 * 34. Line: "card date time host". */
VORSKEL_API int VORSKEL_CALL Vorsk_Record_weigen34(unsigned char* out, int page, const char* host,
                                                   int port);

/* 10-byte short records between start and end pointer (no record total; command 18 only on
 * page 0), 32 to a page of 320 bytes, read with an 8-byte request (length 320, address).
 * Records with a month above 12, day above 31, hour above 24, minute or second above 59 are
 * skipped. out: 32 entries of 54 bytes: "%02X%02X%02X%02X" card at 0, date 12, time 24.
 * Shares its record pointers with Vorsk_FlowControlRecord and Marn_Disposal_Record. */
VORSKEL_API int VORSKEL_CALL Vorsk_RecordEx(unsigned char* out, int page, const char* host,
                                            int port);

/* One raw page of the record area at min(page, 512) x 512, pointers ignored, no state and
 * no record file. out: up to 32 entries of 54 bytes: stored bytes 0-9 at 0, date 12, time
 * 24, status text at 34 built as '0' + nibble (nibbles 10-15 give ':' to '?'). Returns the
 * entries written or a transaction result. */
VORSKEL_API int VORSKEL_CALL Vorsk_RecordAll(unsigned char* out, int page, const char* host,
                                             int port);

/* 18-byte flow records, 16 to a page of 288 bytes (reply up to 600 bytes); the page ends at
 * the first record without the mark 1010 in the top bits of its bytes 4-7. out: up to 16
 * records of 18 bytes, those four bits cleared. No record total, no record file. Shares
 * its record pointers with Vorsk_RecordEx and Marn_Disposal_Record. */
VORSKEL_API int VORSKEL_CALL Vorsk_FlowControlRecord(unsigned char* out, int page, const char* host,
                                                     int port);

/* Writes data into the terminal's record storage at a flash address (command 245; payload
 * length and address as 32-bit numbers, then the data; at most 256 bytes, longer lengths
 * are cut). Returns the transaction result; -1 for a negative length or null data, nothing
 * sent. */
VORSKEL_API int VORSKEL_CALL Vorsk_WriteFlash3st(const unsigned char* data, int length,
                                                 unsigned int address, const char* host, int port);

/* Sends length bytes unchanged as the payload of command 143 (reply 131 bytes). Returns the
 * transaction result; -1 for a length above 131, a negative length or null data, nothing
 * sent. */
VORSKEL_API int VORSKEL_CALL Vorsk_Loop_Record(const unsigned char* data, int length,
                                               const char* host, int port);

/* A disposal registration of the Marn terminal. Decimal fields are digit texts (read up to
 * the first non-digit and never past the field). 123 bytes. */
typedef struct VorskelDisposalRegistration {
  char card[16];       /* 0: card number */
  char number1[16];    /* 16: 32-bit number */
  char name[16];       /* 32: 8 bytes of name (converted to GB on traditional-Chinese
                          systems) */
  char number2[8];     /* 48: low 8 bits sent */
  char number3[16];    /* 56: low 16 bits sent */
  char number4[16];    /* 72: low 16 bits sent */
  char number5[16];    /* 88: low 8 bits sent */
  char number6[16];    /* 104: low 8 bits sent, top three bits forced to 101 */
  unsigned char year;  /* 120: low 8 bits of the full year (2009 -> 217) */
  unsigned char month; /* 121 */
  unsigned char day;   /* 122 */
} VorskelDisposalRegistration;

/* Stores (type 1), reduces to its card number (type 2) or queries (type 3) one disposal
 * registration (command 12, 28 bytes; types 2 and 3 send the card number only). Returns
 * the transaction result, the reply is not decoded; -1 for another type or a null input,
 * nothing sent. */
VORSKEL_API int VORSKEL_CALL Marn_Disposal_Registry(const VorskelDisposalRegistration* input,
                                                    int type, const char* host, int port);

/* The Marn terminal's 21-byte disposal records, 24 to a 512-byte page; slots whose flag byte
 * lacks the top three bits, and erased slots (all 0xFF), are skipped and not counted.
 * out: 24 entries of 104 bytes: "%lu" card at 0, date 16, time 32, values A, B, C ("%lu") at
 * 48, 64, 80, "e0" at 96. Line:
 * "card date A B C e0 time host". Shares its record pointers with Vorsk_RecordEx and
 * Vorsk_FlowControlRecord (and the door controllers' record readers), and its record total
 * and scanned count with the door controllers' record readers: one of these downloads at a
 * time. */
VORSKEL_API int VORSKEL_CALL Marn_Disposal_Record(unsigned char* out, int page, const char* host,
                                                  int port);

/* ---- card registry, blacklist, fingerprint terminal, serial card driver ------------- */

/* One card registration as the host fills it (48 bytes; offsets fixed). Card texts are 8
 * characters, not necessarily zero-terminated: hexadecimal for Vorsk_Registry(Ex), decimal
 * (up to 99999999) for the fingerprint terminal. On read-back the library writes a card text
 * with its terminating zero, which lands on the first byte of the field after it. */
typedef struct VorskRegistryEntry {
  char card1[8];      /*  0 */
  char card2[8];      /*  8 */
  char name[8];       /* 16: not necessarily zero-terminated */
  int group;          /* 24: low 4 bits sent */
  int security;       /* 28: low 4 bits sent */
  unsigned int extra; /* 32: Vorsk_Registry and the fingerprint terminal only */
  int year;           /* 36: full year, e.g. 2010 */
  int month;          /* 40 */
  int day;            /* 44 */
} VorskRegistryEntry;

/* Registration command 12 (34 bytes out, 34 back). type 1 stores the whole registration,
 * 2 sends card 1 only, 3 reads the registration of card 1 back into entry (card texts in
 * lower-case hexadecimal). Payload: card 1 packed from 8 hex digits, card 2's 8 characters,
 * name, group/security nibble byte, year - 1900, month, day, extra, type at [32..33].
 * Returns the terminal's answer in the reply's type field (signed 16-bit), -1 for a type
 * outside 1..3 (nothing sent), or the transaction's error (entry then untouched). */
VORSKEL_API int VORSKEL_CALL Vorsk_Registry(VorskRegistryEntry* entry, int type, const char* host,
                                            int port);

/* As Vorsk_Registry with card 2 packed from 8 hex digits too, no extra number, and the type
 * at [26..27]; the result is the reply's [26..27]. */
VORSKEL_API int VORSKEL_CALL Vorsk_RegistryEx(VorskRegistryEntry* entry, int type, const char* host,
                                              int port);

/* Sends the caller's 28-byte block as command 12 with the type (1..3, else -1) written at
 * [26..27]; the reply is not copied back. Result: the reply's [26..27] as signed 16-bit. */
VORSKEL_API int VORSKEL_CALL Vorsk_FlowControlRegistry(const unsigned char* block, int type,
                                                       const char* host, int port);

/* Kept for hosts that link it: does nothing and returns -1. */
VORSKEL_API int VORSKEL_CALL DumpRegistry2Device(int unused1, int unused2);

/* Registration dumps: read the registration pointers (command 18), then the registration
 * area page by page (command 4), newest registration first, and write one line per occupied
 * slot to "Registry.txt" beside the host program's executable (created or emptied once the
 * first page has arrived: a dump that gets no page leaves an earlier file as it was).
 *   Vorsk: "%02X%02X%02X%02X|card 2 text|name|group|security|year-month-day"
 *   Sondo: the door controller's line in Chinese (GBK) with its 32 door rights
 *   Pirrel: "%08lu|%08lu|name|group|security|n1+n2+n3|year-month-day"
 * Returns the number of registrations written, 0 when there are none (no file is made), -1
 * when Registry.txt cannot be created, -3 when the pointers lie beyond area 2 (256 KiB;
 * nothing is read), or the failing query's or page read's error (-21 for a pointer reply
 * too short to hold them; the lines written so far stay in the file). */
VORSKEL_API int VORSKEL_CALL Vorsk_DumpRegistry(const char* host, int port);
VORSKEL_API int VORSKEL_CALL Sondo_DumpRegistry(const char* host, int port);
VORSKEL_API int VORSKEL_CALL Pirrel_DumpRegistry(const char* host, int port);

/* Blacklist command 21. type selects the operation code sent in [0]: 1 -> 1, 2 -> 10,
 * 3 -> 12, 4 -> 11. Card texts are exactly 8 hexadecimal digits. Results: the terminal's
 * operation byte (signed 8-bit), -10 for a card text that is not 8 characters long, -11 for
 * a type outside 1..4 (both before sending), or the transaction's error.
 * Vorsk_BlackList sends 11 bytes: op, card, value1, value2, and at [7..10] the blacklist
 * extra value (0 until the first Vorsk_BlackListEx, then the last value it was given). */
VORSKEL_API int VORSKEL_CALL Vorsk_BlackList(const char* card, int value1, int value2, int type,
                                             const char* host, int port);
/* Stores extra as the blacklist extra value for this and every later Vorsk_BlackList. */
VORSKEL_API int VORSKEL_CALL Vorsk_BlackListEx(const char* card, int value1, int value2,
                                               unsigned int extra, int type, const char* host,
                                               int port);
/* 8 bytes: op, card, value1 (byte), value2 (16-bit). */
VORSKEL_API int VORSKEL_CALL Vorsk_BlackList_ASLK(const char* card, int value1, int value2,
                                                  int type, const char* host, int port);
/* 11 bytes: op, number1 and number2 as decimal texts (32-bit each), value (16-bit). */
VORSKEL_API int VORSKEL_CALL Vorsk_BlackList_ADD(const char* number1, const char* number2,
                                                 int value, int type, const char* host, int port);

/* Reads the blacklist in 500-byte blocks (command 56, addresses 0, 500, ... below 65536)
 * into "blacklist.bin" (every block read, raw) and "blacklist.txt" (one line
 * "%02X%02X%02X%02X|high nibble|low nibble" per entry; empty slots 0xEF/0xDF skipped) in
 * the current directory, up to the end mark FF FF FF FF. Both files are created (emptied)
 * once the first block has arrived: a dump that gets no block leaves earlier files as they
 * were. Returns the number of entries listed, -1 when a file cannot be created, or the
 * failing block's error (a block reply shorter than 502 bytes is -21; both files keep what
 * was written). */
VORSKEL_API int VORSKEL_CALL Vorsk_DumpBlackList(const char* host, int port);

/* Fingerprint terminal. Templates are 256 bytes beginning 03 02; their checksum is
 * CalculateCRC16 over the 256 bytes. */

/* Probe (command 129): 0 when the terminal answers 55 AA 55 AA, -1 otherwise, or the
 * transaction's error. */
VORSKEL_API int VORSKEL_CALL Pirrel_Exist(const char* host, int port);

/* Fetches a freshly scanned template (command 128) into templ (256 bytes). The terminal
 * waits for a finger, so the command endpoint waits up to 60000 ms; afterwards every
 * transaction waits 3000 ms. 0, -1 when the terminal reports no template, or the
 * transaction's error. */
VORSKEL_API int VORSKEL_CALL Pirrel_GetFingerPrint(unsigned char* templ, const char* host,
                                                   int port);

/* Registration with template (command 12; card texts decimal, up to 8 digits). Type 1 with
 * *checksum non-zero sends the template with its CRC-16 (290 bytes; a template not
 * beginning 03 02 shows an error message and gives -1, nothing sent); with *checksum 0 it
 * sends 34 bytes and no template. index (0..2, else 0) names the template slot. Type 3
 * reads back the entry, the template and its CRC-16 into *checksum (an error message when
 * it differs from the terminal's); a terminal without template answers 238, and then the
 * template is zeroed and the result is 0. Up to six attempts. Result: the reply's type
 * field (signed 16-bit), -1, or the last attempt's transaction error. */
VORSKEL_API int VORSKEL_CALL Pirrel_Registry(VorskRegistryEntry* entry, unsigned char* templ,
                                             unsigned int* checksum, int index, int type,
                                             const char* host, int port);

/* Template to text: 516 upper-case hex digits (CRC-16 low byte, high byte, 256 template
 * bytes) and a zero. -1 when capacity is below 520, else 0. */
VORSKEL_API int VORSKEL_CALL Pirrel_FingerPrint2String(const unsigned char* templ, char* text,
                                                       int capacity);

/* Text to template: upper-cases text in place, reads 516 hex digits (characters after the
 * text's end count as 0). -1 when length is below 516, -2 when the CRC-16 does not match,
 * else 0 with the 256 bytes in templ. */
VORSKEL_API int VORSKEL_CALL Pirrel_String2FingerPrint(char* text, int length,
                                                       unsigned char* templ);

/* Security level (command 131), limited to 1..5. Transaction result. */
VORSKEL_API int VORSKEL_CALL Pirrel_SetSecurLevel(int level, const char* host, int port);

/* Work type (command 130): mode 1..4 (else -1, nothing sent) and four bytes. */
VORSKEL_API int VORSKEL_CALL Pirrel_WorkType(int mode, int b1, int b2, int b3, int b4,
                                             const char* host, int port);

/* Speech (command 132): two bytes. Transaction result. */
VORSKEL_API int VORSKEL_CALL Pirrel_Speech(int a, int b, const char* host, int port);

/* Card writing through the serial card-reader driver (ombrel.dll; libombrel.so found by the
 * usual shared-library search elsewhere), loaded at run time. */

/* Loads the driver and opens the serial port at 9600 baud: the driver's result, -10 (with an
 * error message) when the driver cannot be loaded, -11 when an entry point is missing. */
VORSKEL_API int VORSKEL_CALL Pirrel_OpenCom(int serialPort);

/* Closes the port and unloads the driver: 0, or -1 when it was not open. */
VORSKEL_API int VORSKEL_CALL Pirrel_CloseCom(void);

/* Writes a registration (and, for kinds 0 and 2, its template with CRC-16) into 21 blocks:
 * sectors startSector .. startSector + 6, blocks 0..2 each, up to four attempts per block.
 * 0, -1 when the driver is not open (error message), -10 when a block fails four times. */
VORSKEL_API int VORSKEL_CALL Pirrel_IcRegistry_Write(const VorskRegistryEntry* entry,
                                                     const unsigned char* templ, int startSector,
                                                     int kind, unsigned char* key, int unused1,
                                                     int unused2);

/* Reads such a card back: card 1 (decimal), name and expiry into entry; *flag = 1 and no
 * template for a card without one, else *flag = 0 and the template. 0, -1 not open, -10 a
 * block failed four times, -11 template checksum wrong. */
VORSKEL_API int VORSKEL_CALL Pirrel_IcRegistry_Read(VorskRegistryEntry* entry, unsigned char* templ,
                                                    int startSector, int* flag, unsigned char* key,
                                                    int unused1, int unused2);

/* The driver's Read_ID(value, 1) result, or -1 when the driver is not open. */
VORSKEL_API int VORSKEL_CALL Pirrel_Ic_SerialNO(int value);

/* Writes one block (0x66, value little-endian at [10..13], CRC-16 at [14..15]) to sector 6
 * block 0 with the library's fixed key: the driver's result, or -1 when not open. */
VORSKEL_API int VORSKEL_CALL Pirrel_mifare_taiwan(unsigned int value);

/* ---- consumption terminals ---------------------------------------------------------- */

/* Payment terminals: Nemmar, its second generation (Nemmarv2_) and Brell. */

/* -- settings --
 * Each sends one command with a short payload and returns the transaction result (0, -20,
 * -21, -22); the queries write their outputs only on 0 (Nemmar_get_point_mod: always).
 * Numbers go little-endian; byte and word arguments send their low 8 or 16 bits. A null
 * buffer or text sends zeros in its place; a null output is not written. */

/* One byte at payload 0: commands 85, 86, 87 and 90 (sent and answered as 1 byte). */
VORSKEL_API int VORSKEL_CALL Nemmar_Com_Print(int value, const char* host, int port);
VORSKEL_API int VORSKEL_CALL Nemmar_Add_Point(int value, const char* host, int port);
VORSKEL_API int VORSKEL_CALL Nemmar_OverCost(int value, const char* host, int port);
VORSKEL_API int VORSKEL_CALL Nemmar_set_point_mod(int value, const char* host, int port);

/* Asks for the point mode (command 91, one zero byte). *mode receives reply byte 0 even
 * when the exchange fails (then the 0 that was sent). */
VORSKEL_API int VORSKEL_CALL Nemmar_get_point_mod(unsigned char* mode, const char* host, int port);

/* Sets the master card (command 7, 4 bytes). Nemmar_MasterCard_id reads a decimal text
 * (wrapping modulo 2^32: "4294967296" sends 0) and sends it least significant byte first;
 * Nemmar_MasterCard reads 8 hexadecimal digits and sends the pairs in text order
 * ("1A2B3C4D" sends 1A 2B 3C 4D; missing or non-hex digits count as 0). */
VORSKEL_API int VORSKEL_CALL Nemmar_MasterCard_id(const char* card, const char* host, int port);
VORSKEL_API int VORSKEL_CALL Nemmar_MasterCard(const char* card, const char* host, int port);

/* Command 80: a, b, c, d at payload 0, 4, 8, 12 (16 bytes, reply 131). */
VORSKEL_API int VORSKEL_CALL Nemmar_Memory(unsigned int a, unsigned int b, unsigned int c,
                                           unsigned int d, const char* host, int port);
/* Command 81: a (byte) at 0, b (16 bits) at 1-2 (3 bytes, reply 131). */
VORSKEL_API int VORSKEL_CALL Nemmar_DaySum(int a, int b, const char* host, int port);
/* Command 82: the ten 16-bit values in array order (20 bytes, reply 131). */
VORSKEL_API int VORSKEL_CALL Nemmar_Auto_x(const unsigned short* values, const char* host,
                                           int port);
/* Command 83: value at 0-3 (4 bytes, reply 131). */
VORSKEL_API int VORSKEL_CALL Nemmar_CostMax(unsigned int value, const char* host, int port);
/* Command 84: a, b, c at 0, 4, 8 (12 bytes, reply 131). */
VORSKEL_API int VORSKEL_CALL Nemmar_SetDelay(unsigned int a, unsigned int b, unsigned int c,
                                             const char* host, int port);
/* Command 92: a, b at 0, 4 (8 bytes, reply 131). */
VORSKEL_API int VORSKEL_CALL Nemmar_TimeValue(unsigned int a, unsigned int b, const char* host,
                                              int port);

/* Three time periods (command 20, 12 bytes, reply 131): period i = 0, 1, 2 at bytes 4i to
 * 4i + 3 holds the low bytes of table[2i], table[2i + 1], table[6 + 2i], table[7 + 2i].
 * The port is passed by pointer and read once; a null port pointer gives -20. */
VORSKEL_API int VORSKEL_CALL Nemmar_TimeTable(const int* table, const char* host, const int* port);

/* Device name and two values (command 8, 20 bytes): the first 8 characters of name at most
 * at 0-7 (rest zero), first at 15, second at 16. */
VORSKEL_API int VORSKEL_CALL Nemmar_SetDevice(const char* name, int first, int second,
                                              const char* host, int port);
/* Reads them back (command 9, reply 20): on 0 copies the reply's name text, at most 8
 * bytes and WITHOUT a terminating zero (give a buffer that holds one after them), and sets
 * *first and *second from reply bytes 15 and 16, sign-extended. */
VORSKEL_API int VORSKEL_CALL Nemmar_GetDevice(char* name, int* first, int* second, const char* host,
                                              int port);

/* Second generation: the 46-byte print information (command 89, reply 46). */
VORSKEL_API int VORSKEL_CALL Nemmarv2_SetPrintInfo(const unsigned char* info, const char* host,
                                                   int port);

/* Brell: the 32-byte cost multiplier table (command 122); Brell_GetCostMul sends the
 * caller's 32 bytes (command 123) and on 0 copies the reply's 32 bytes back over them. */
VORSKEL_API int VORSKEL_CALL Brell_SetCostMul(const unsigned char* table, const char* host,
                                              int port);
VORSKEL_API int VORSKEL_CALL Brell_GetCostMul(unsigned char* table, const char* host, int port);
/* Brell: the card type mask (command 124, mask at 0-3 of a 32-byte payload); the query
 * (command 125, 32 zero bytes) sets *mask from reply bytes 0-3 on 0. */
VORSKEL_API int VORSKEL_CALL Brell_SetCardTypeMask(unsigned int mask, const char* host, int port);
VORSKEL_API int VORSKEL_CALL Brell_GetCardTypeMask(unsigned int* mask, const char* host, int port);

/* -- card registry --
 * One entry per call with the registry command 12. operation: 1 stores the entry, 2 sends
 * the card number alone (the command's remaining operation), 3 reads the entry back into
 * the caller's structure. Another operation, or a null structure, gives -1 with nothing
 * sent. Decimal texts are read up to the end of their field and wrap modulo 2^32; byte,
 * word, nibble and date values send their low bits. */

/* The caller's entry of Nemmar_Regsitry (20 bytes). */
typedef struct NemmarRegistryBlock {
  char card[12];       /*  0: card number, decimal text */
  unsigned int first;  /* 12: first value (sent with operation 1, read back by 3) */
  unsigned int second; /* 16: second value */
} NemmarRegistryBlock;

/* 14 bytes: card 0-3, first value 4-7 and second value 8-11 (operation 1 only, else 0),
 * operation 12-13. Returns the terminal's status word (reply 12-13, signed) or the
 * transaction result; operation 3 first copies reply 4-7 and 8-11 into the two values. */
VORSKEL_API int VORSKEL_CALL Nemmar_Regsitry(NemmarRegistryBlock* block, int operation,
                                             const char* host, int port);

/* For terminals that know cards by a 10-digit number. card: decimal text, room for 11
 * bytes. 14 bytes: card 0-3, operation 4-5, zeros. Operations 1 and 2: 0 or the
 * transaction result. Operation 3: -1 when the terminal's status word (reply 4-5) is not 0;
 * otherwise card is overwritten with reply 0-3 as "%010lu" (10 digits and a zero) and 0. */
VORSKEL_API int VORSKEL_CALL Nemmar_Registry_id(char* card, int operation, const char* host,
                                                int port);

/* The caller's entry of Brell_Registry_id (140 bytes). */
typedef struct BrellCardEntry {
  char card[16];         /*   0: card number, decimal text */
  char first[16];        /*  16: first number, decimal text */
  char second[16];       /*  32: second number, decimal text */
  unsigned char raw[16]; /*  48: bytes 0-7 sent unchanged; operation 3 writes bytes 0-9 */
  char byteValue[16];    /*  64: decimal text, low 8 bits sent */
  char wordValue[16];    /*  80: decimal text, low 16 bits sent */
  char highNibble[16];   /*  96: decimal text, low 4 bits sent */
  char lowNibble[16];    /* 112: decimal text, low 4 bits sent */
  int year;              /* 128: full year (2009) */
  int month;             /* 132 */
  int day;               /* 136 */
} BrellCardEntry;

/* 34 bytes from the entry for every operation: card 0-3, first 4-7, second 8-11, byte
 * value 12, word value 13-14, raw bytes 0-7 at 20-27, the nibbles at 28 (high, low), year -
 * 1900 at 29, month 30, day 31, operation 32-33. Operations 1 and 2: the status word (reply
 * 32-33, signed) or the transaction result. Operation 3: -1 when the status word is not 0
 * and also when the terminal does not answer; -22 for a reply to another command (entry
 * untouched); else the entry is filled from the reply (card "%010u", numbers "%u", reply
 * 20-29 into raw[0..9], year = byte 29 + 1900) and 0. */
VORSKEL_API int VORSKEL_CALL Brell_Registry_id(BrellCardEntry* entry, int operation,
                                               const char* host, int port);

/* -- merchant and money functions -- */

/* Writes a department name to flash area 2 at index x 16 (command 55, as Vorsk_WrFlash2):
 * the first min(length, 16) bytes of name, zero-padded to 16 (a negative length or null
 * name writes 16 zeros). Returns the terminal's status word or the transaction result. */
VORSKEL_API int VORSKEL_CALL Vorsk_Merch_Dept(int index, const unsigned char* name, int length,
                                              const char* host, int port);

/* The caller's entry of Vorsk_Merch_Regsitry (20 bytes). */
typedef struct VorskMerchRegistryBlock {
  unsigned int first;  /*  0: low 8 bits sent */
  unsigned int number; /*  4: 32-bit number */
  unsigned int second; /*  8: low 8 bits sent */
  unsigned int third;  /* 12: low 8 bits sent */
  unsigned int word;   /* 16: low 16 bits sent */
} VorskMerchRegistryBlock;

/* Merchant registry entry (command 12, 11 bytes): number 0-3, first, second, third at 4, 5,
 * 6 and word at 7-8 (operation 1 only, else 0), operation 9-10. operation 1, 2 or 3, else
 * -1 with nothing sent. Returns the status word (reply 9-10, signed) or the transaction
 * result; operation 3 first stores reply 4, 5, 6 and 7-8 into the block. */
VORSKEL_API int VORSKEL_CALL Vorsk_Merch_Regsitry(VorskMerchRegistryBlock* block, int operation,
                                                  const char* host, int port);

/* Sends an amount in hundredths (command 38) as the text "%d.%02d" without a zero, e.g.
 * 1234 as "12.34", 5 as "0.05", 60000 as "600.00" (sent and answered with the text's
 * length). -1 for an amount above 60000, nothing sent. */
VORSKEL_API int VORSKEL_CALL Vorsk_RealChangeMoney(int amount, const char* host, int port);

/* Sends a bus fare (command 38, 2 bytes): the amount in hundredths as a 16-bit number.
 * -1, nothing sent, unless it is whole units (a multiple of 100) and at most 25600. */
VORSKEL_API int VORSKEL_CALL Vorsk_ChangeMoneyForBus(int amount, const char* host, int port);

/* -- record downloads --
 * Paged downloads as Vorsk_Record (see "records" above): page 0, then 1, 2, ... until -1.
 * Page 0 reads the record pointers (command 18) and the record total (command 11); every
 * call reads one page of flash area 2 (command 4) and decodes its valid records into
 * entries back to back in out, appending one line per record to the record file of its
 * day. Invalid slots count against the record total. Each export has a download state of
 * its own (one download per export at a time). Results: entries written, 0 for a page in
 * the empty gap of a wrapped area, -1 when the download is over (also for a null out or a
 * negative page, nothing sent), or a transaction result. Time stamps are seconds since
 * 1980-01-01; dates print "YYYY-MM-DD", times "hh:mm:ss". Entry bytes not named keep the
 * caller's values. */

/* 19-byte records, 26 to a 494-byte page. out: 26 entries of 96 bytes (2,496 bytes):
 * "%08lu" card at 0, date 12, time 24, "%03d" record type 34, "%08lu" value B 54, "%08lu"
 * value A 70, value C as a 32-bit number at 88. Line: "card B A type date time C host". */
VORSKEL_API int VORSKEL_CALL Nemmar_Record(unsigned char* out, int page, const char* host,
                                           int port);

/* 10-byte short records (card 0 marks an empty slot), 32 to a 320-byte page, each page call
 * under the record-read lock shared with the multi-door controller's record reads. out: 32
 * entries of 96 bytes (3,072 bytes), each cleared first: "%010lu" card at 0, date 12, time
 * 24, "%08lu" value 54. An empty slot leaves a cleared, dated entry at the next position.
 * Line: "card value date time host". */
VORSKEL_API int VORSKEL_CALL Nemmar_Record_id(unsigned char* out, int page, const char* host,
                                              int port);

/* One raw page of 24 records at min(page, 575) x 456 in flash order, pointers ignored, no
 * state (page 600 reads address 262,200). out: 24 entries as Nemmar_Record. Returns the
 * entries written or a transaction result. */
VORSKEL_API int VORSKEL_CALL Nemmar_RecordAll(unsigned char* out, int page, const char* host,
                                              int port);

/* Second generation: 22-byte records, 23 to a 506-byte page. out: 23 entries of 124 bytes
 * (2,852 bytes): card 0, date 12, time 24, type 34, value B 54, value E 70, value A 86
 * ("%08lu"), "%03d" value D 102. Line: "card A B E type date time D host". */
VORSKEL_API int VORSKEL_CALL Nemmarv2_Record(unsigned char* out, int page, const char* host,
                                             int port);

/* One raw page of 23 second-generation records at min(page, 575) x 506 (page 575 reads
 * 290,950), as Nemmar_RecordAll. */
VORSKEL_API int VORSKEL_CALL Nemmarv2_RecordAll(unsigned char* out, int page, const char* host,
                                                int port);

/* Writes one record into a second-generation terminal (command 88, 22 bytes, reply 131)
 * from a 124-byte entry as Nemmarv2_Record gives it: card (text at 0) at 0-3, the text at 54
 * at 4-7 and the text at 86 at 8-11 (so values A and B arrive exchanged), time stamp
 * 0xAAAA5555, flag 0xAA, 0 for value D, the text at 70 at 18-21. Texts are decimal, read
 * within their fields (no number gives 0). Returns the transaction result; -1 for a null
 * entry, nothing sent. */
VORSKEL_API int VORSKEL_CALL Nemmarv2_Write_ARecord(const unsigned char* entry, const char* host,
                                                    int port);

/* Brell: 16-byte records marked 0x5A in byte 14, 32 to a 512-byte page. out: 32 entries of
 * 96 bytes (3,072 bytes): "%08lu" card 0, value F 16, value G 32, date 48, time 64, value H
 * 80. Line: "card F G H date time host". */
VORSKEL_API int VORSKEL_CALL Brell_Record_id(unsigned char* out, int page, const char* host,
                                             int port);

/* Merchant records of flash area 3 (command 53), 64 of 8 bytes to a 512-byte page, read
 * from the start pointer up to the end pointer (page 0 reads the record pointers only;
 * they are the ones shared with Vorsk_RecordEx and the other readers of that storage).
 * out: 64 entries of 54 bytes (3,456 bytes), each cleared first: "%08lu" number (24 bits,
 * most significant byte first) at 0, date 12, time 24, "%03d" type 34. No record file lines.
 * Returns the entries written; 0 when the terminal holds none or the page lies at or past
 * the end pointer (the download is over); -1 for a null out or a negative page; or a
 * transaction result. */
VORSKEL_API int VORSKEL_CALL Vorsk_Merch_Record(unsigned char* out, int page, const char* host,
                                                int port);

/* -- real-time consumption and booking reports (watch endpoint) -- */

/* One consumption as a payment terminal reports it (96 bytes); the entry of the record
 * downloads. Texts are zero-terminated within their fields. */
typedef struct NemmarConsumptionEntry {
  char card[12];          /*  0: card number, "%08lu" */
  char date[12];          /* 12: "%04d-%02d-%02d" */
  char time[10];          /* 24: "%02d:%02d:%02d" */
  char type[20];          /* 34: record type 0-15, "%03d" */
  char valueB[16];        /* 54: record value B, "%08lu" */
  char valueA[18];        /* 70: record value A, "%08lu" */
  unsigned int valueC;    /* 88: record value C (16 bits on the wire) */
  unsigned char spare[4]; /* 92 */
} NemmarConsumptionEntry;

/* A Brell booking as Brell_Save2DB decodes it (24 bytes). */
typedef struct BrellBooking {
  char card[9];           /*  0: report bytes 11-14 as 8 lower-case hexadecimal digits */
  unsigned char spare[3]; /*  9: not written */
  int first;              /* 12: report byte 15 read as two decimal digits (0x59 -> 59) */
  int second;             /* 16: report byte 16, likewise */
  int digit;              /* 20: report byte 17, an ASCII digit, as a number */
} BrellBooking;

/* A main-terminal report as Vorsk_Save2db decodes it (104 bytes, zeroed first). */
typedef struct VorskSavedReport {
  unsigned char id[8];     /*  0: report bytes 8-15, the terminal's identifier */
  unsigned char zero1[2];  /*  8 */
  unsigned char block[32]; /* 10: report bytes 8-39 */
  unsigned char zero2[32]; /* 42 */
  char date[12];           /* 74: the time stamp's date, "%04d-%02d-%02d" */
  char time[10];           /* 86: the time stamp's time, "%02d:%02d:%02d" */
  unsigned char zero3[8];  /* 96 */
} VorskSavedReport;

/* Waits on the watch endpoint for the next consumption report (a record of 19 bytes at
 * datagram bytes 8-26 whose flag byte carries the valid mark) and decodes it into entry,
 * zeroed first. Watch requests and datagrams without a valid record are skipped. Writes no
 * record file (makes sure the "records" directory exists). senderText (at least 16 bytes)
 * and senderPort receive the sender. 0: decoded; -1: the receive failed (endpoint not open
 * or closed by Vorsk_CloseWatch, a datagram over 512 bytes), an empty datagram arrived or
 * entry is null. */
VORSKEL_API int VORSKEL_CALL Nemmar_Watch(NemmarConsumptionEntry* entry, char* senderText,
                                          int* senderPort);

/* Takes one datagram (at most 128 bytes) from the watch endpoint and decodes it as a Brell
 * booking into booking. 0: decoded; -1: the receive failed (also a datagram over 128 bytes,
 * and a null booking); -2: the datagram does not begin with the report marker 1A 2B (it is lost).
 * Answer the terminal with Brell_BookSucc. */
VORSKEL_API int VORSKEL_CALL Brell_Save2DB(BrellBooking* booking, char* senderText,
                                           int* senderPort);

/* Sends the 36-byte booking acknowledgement from the watch endpoint to host:port: CRC-16
 * of bytes 2-34 (low byte first), 35, the low byte of code, 32 zeros. No reply is awaited.
 * Returns 36, or -1 (host unresolvable, watch endpoint not open, send failed). */
VORSKEL_API int VORSKEL_CALL Brell_BookSucc(int code, const char* host, int port);

/* Takes one datagram (at most 128 bytes) from the watch endpoint; when it begins with the
 * report marker 1A 2B, acknowledges it at once to its sender (81 bytes: the report with
 * 2B 1A in bytes 0-1, zeros past its end, CRC-16 of bytes 0-78 in bytes 79-80; sent once,
 * a failed send goes unreported) and decodes it into report. 0: decoded; -1: the receive
 * failed (also a datagram over 128 bytes, and a null report); -2: no report marker (the
 * datagram is lost). */
VORSKEL_API int VORSKEL_CALL Vorsk_Save2db(VorskSavedReport* report, char* senderText,
                                           int* senderPort);

/* ---- door controllers --------------------------------------------------------------- */

/* Single- and two-door controllers: Sondo (readers, registrations, interlock and
 * anti-passback), Kappel (relay controller, with the Wend extension board), Lusk, Hesk and
 * Gaddo. Each command export is one transaction; unless noted the result is 0 or the
 * transaction's code (-20, -21, -22), and on failure no output is written. A null input row
 * or text (flags, doors, parameters, card) gives -1 without sending; a null output is
 * skipped. A flag row is 32 bytes, one per reader or door 0-31, set when not 0; it travels
 * as a 32-bit mask (bit i for byte i). */

/* A Sondo card registration (172 bytes). */
typedef struct SondoRegistration {
  char card[8];       /*   0: 8 hexadecimal digits, no terminator needed; read back as
                              "%02x%02x%02x%02x" without a terminator of its own */
  int high;           /*   8: its low 4 bits go out (operation 1) */
  int low;            /*  12: its low 4 bits go out (operation 1) */
  unsigned int value; /*  16: sent and read back unchanged */
  int flags[32];      /*  20: flag i is mask bit i (not 0: set) */
  int year;           /* 148: full year, e.g. 2009 */
  int month;          /* 152 */
  int day;            /* 156 */
  char second[9];     /* 160: 8 hexadecimal digits and a zero, or empty (sends 0) */
} SondoRegistration;

/* Command 12 (34 bytes). operation 1 stores the whole registration, 2 and 3 send the card
 * and second value only; 3 reads the registration back into reg. Result: the controller's
 * 16-bit answer (reply bytes 32-33, signed), -1 for another operation or a null reg (nothing
 * sent), or the transaction's code. */
VORSKEL_API int VORSKEL_CALL Sondo_Registry(SondoRegistration* reg, int operation, const char* host,
                                            int port);
/* Command 30: the first byte, then values 0-9, each sent as itself when at most 31
 * (unsigned) and as 0xFF otherwise. */
VORSKEL_API int VORSKEL_CALL Sondo_MutexLock(int first, unsigned int v0, unsigned int v1,
                                             unsigned int v2, unsigned int v3, unsigned int v4,
                                             unsigned int v5, unsigned int v6, unsigned int v7,
                                             unsigned int v8, unsigned int v9, const char* host,
                                             int port);
/* Command 31: two bytes; values above 255 are sent as 255. */
VORSKEL_API int VORSKEL_CALL Kappel_RelayOpenTime(int a, int b, const char* host, int port);
VORSKEL_API int VORSKEL_CALL Sondo_RelayOpenTime(int a, int b, const char* host, int port);
/* Command 32: the relay status table, 544 bytes: 32 entries of 17 bytes. Entry i: six flags
 * (bits 7, 6, 5, 2, 3, 0 of status byte i, each 0 or 1), a 0, then "connected" and its zero,
 * or "disconnect" filling the last 10 bytes without a zero when status byte i is 0. */
VORSKEL_API int VORSKEL_CALL Kappel_DeviceGetAllStatus(unsigned char* table, const char* host,
                                                       int port);
VORSKEL_API int VORSKEL_CALL Sondo_DeviceGetAllStatus(unsigned char* table, const char* host,
                                                      int port);
/* Command 33: anti-passback on (flag not 0) or off. */
VORSKEL_API int VORSKEL_CALL Kappel_PassBack(int flag, const char* host, int port);
VORSKEL_API int VORSKEL_CALL Sondo_PassBack(int flag, const char* host, int port);
/* Command 34: reader number (above 8 sent as 8) and the password text read as a decimal
 * number (no digits: 0), 32-bit little-endian. */
VORSKEL_API int VORSKEL_CALL Sondo_SetTolkaPsw(int reader, const char* password, const char* host,
                                               int port);
/* Commands 35, 38, 39: a flag row as a mask (readers that need a password, attendance
 * readers, double-card doors). */
VORSKEL_API int VORSKEL_CALL Sondo_ReaderNeedPsw(const unsigned char* flags, const char* host,
                                                 int port);
VORSKEL_API int VORSKEL_CALL Sondo_Attend(const unsigned char* flags, const char* host, int port);
VORSKEL_API int VORSKEL_CALL Sondo_DoubleCard(const unsigned char* flags, const char* host,
                                              int port);
/* Command 36: s, then a (at most 2), b (at most 200), c (at most 2), d (at most 200). On
 * success the controller's 16-bit answer (signed); else the transaction's code. */
VORSKEL_API int VORSKEL_CALL Sondo_Switch(int s, int a, int b, int c, int d, const char* host,
                                          int port);
/* Command 37: the 32 bytes, then a * 256 + b and c * 256 + d as 16-bit numbers. */
VORSKEL_API int VORSKEL_CALL Sondo_AlwaysOpenDoor(const unsigned char* doors, int a, int b, int c,
                                                  int d, const char* host, int port);
/* Command 40: 32 bytes, values above 2 sent as 0. */
VORSKEL_API int VORSKEL_CALL Sondo_PassBackEx(const unsigned char* doors, const char* host,
                                              int port);
/* Command 41: 32 bytes, values above 15 sent as 0xFF. */
VORSKEL_API int VORSKEL_CALL Sondo_DeviceTimeTable(const unsigned char* doors, const char* host,
                                                   int port);
/* Command 60: the byte p and 14 parameter bytes (the 131-byte reply is not used). */
VORSKEL_API int VORSKEL_CALL Sondo_DeviceParameter(int p, const unsigned char* parameters,
                                                   const char* host, int port);
/* Command 26: opens the relays the byte names. */
VORSKEL_API int VORSKEL_CALL Kappel_OpenRelay(int relay, const char* host, int port);
VORSKEL_API int VORSKEL_CALL Sondo_OpenRelay(int relay, const char* host, int port);
/* Command 48: two 16-bit numbers for the Wend extension board. On success the board's
 * 16-bit answer (signed); else the transaction's code. */
VORSKEL_API int VORSKEL_CALL Kappel_ChangeAddressWend(int a, int b, const char* host, int port);
/* Command 49: a 16-bit number, the card from the first 8 hexadecimal digits of card (a
 * shorter text counts as ending in zeros; only the first 31 characters are looked at), and
 * a 32-bit value. */
VORSKEL_API int VORSKEL_CALL Kappel_OpenRelayWend(int a, const char* card, unsigned int value,
                                                  const char* host, int port);
/* Command 50: two flags. */
VORSKEL_API int VORSKEL_CALL Kappel_OpenInterRelay(int flag1, int flag2, const char* host,
                                                   int port);

/* What Sondo_Watch writes for a card report (104 bytes). A door-state report is 17 bytes
 * instead: the door state, its byte 16 the change code once the controller is known. */
typedef struct SondoCardReport {
  char card[10]; /*  0: the four card bytes as 8 upper-case hexadecimal digits */
  char text[64]; /* 10: the report's text, at most 63 characters */
  char date[12]; /* 74: "%04d-%02d-%02d" */
  char time[10]; /* 86: "%02d:%02d:%02d" */
  int valueA;    /* 96: report byte 6, signed */
  int valueB;    /* 100: report byte 7, signed */
} SondoCardReport;

/* Waits on the watch endpoint for the next Sondo report (watch requests are skipped) and
 * checks its CRC-16 (bytes 0-78 against 79-80). report: at least 104 bytes. kind: 0 for a
 * card report (report holds a SondoCardReport); for a door-state report the door slot, with
 * slot 0 given as 33. The library keeps the last state of each slot of each controller (by
 * its IPv4 address): the first report of a controller is delivered as sent; later ones carry
 * the change code in byte 16 (6/5 byte 3 set/cleared, 4/3 byte 4, 2/1 byte 5, 7 byte 6) and
 * a report that changes none of bytes 3-6 leaves report untouched (clear it before each
 * call). A door-state report for a slot above 31 is ignored: 0, nothing written.
 * 0: a report was taken; -1: the receive failed (also a datagram over 256 bytes), an empty
 * datagram, or a null report (nothing received); -2: CRC mismatch, nothing written. */
VORSKEL_API int VORSKEL_CALL Sondo_Watch(unsigned char* report, int* kind, char* senderText,
                                         int* senderPort);

/* Sondo records (16 bytes: card 0-3 and 4-7, reader 8, status 9, year-1900 10, 0xA mark and
 * month 11, day 12, hour 13, minute 14, second 15), downloaded as the records section above
 * says but with no record file lines, on the record pointers and record total shared with
 * Marn_Disposal_Record and Lusk_Record (one of these downloads at a time). Slots without
 * the mark are skipped and not counted; a call stops when the record total is reached.
 * Sondo_Record: 32 entries of 60 bytes: "%03d" reader at 0, "%02X%02X%02X%02X" card at 6,
 * date at 18, time at 30, status text at 40 ('0' + high nibble, '0', '0' + low nibble, 0).
 * Sondo_Record_ex: 32 entries of 54 bytes: "%02x%02x%02x" of card bytes 1-3 at 0, record
 * bytes 7, 6, 5, 4 at 8, date at 12, time at 24, the status byte at 34, the reader byte at
 * 38. Sondo_RecordAll: one page (page numbers above 512 read page 512) into 60-byte
 * entries, no queries and no state: the number of entries or the transaction's code. */
VORSKEL_API int VORSKEL_CALL Sondo_Record(unsigned char* out, int page, const char* host, int port);
VORSKEL_API int VORSKEL_CALL Sondo_Record_ex(unsigned char* out, int page, const char* host,
                                             int port);
VORSKEL_API int VORSKEL_CALL Sondo_RecordAll(unsigned char* out, int page, const char* host,
                                             int port);

/* Command 37 in its 131-byte form: (first[0] * 256 + first[1]) and the same of second as
 * 16-bit numbers. -1 for a null pointer, nothing sent. */
VORSKEL_API int VORSKEL_CALL Vorskel_AlwaysOpenDoor(const int* first, const int* second,
                                                    const char* host, int port);

/* A Lusk registration (56 bytes). */
typedef struct LuskRegistration {
  char card[8];       /*  0: 8 hexadecimal digits; read back as "%02x%02x%02x%02x" */
  char date[16];      /*  8: read back only, "%04d-%02d-%02d" */
  char time[16];      /* 24: read back only, "%02d:%02d:%02d" */
  unsigned int value; /* 40 */
  int year;           /* 44: full year */
  int month;          /* 48 */
  int day;            /* 52 */
} LuskRegistration;

/* Command 12 (22 bytes): operation 1 stores, 2 and 3 send the card only, 3 reads back. The
 * controller's 16-bit answer (signed), -1 for another operation or a null reg, or the
 * transaction's code. */
VORSKEL_API int VORSKEL_CALL Lusk_Registry(LuskRegistration* reg, int operation, const char* host,
                                           int port);
/* Command 7: the master card, a text of exactly 8 characters read as hexadecimal digits (a
 * non-hex character counts as 0); any other length gives -1 with nothing sent. */
VORSKEL_API int VORSKEL_CALL Lusk_Master_Card(const char* card, const char* host, int port);
/* Command 23: the 32-byte online table. */
VORSKEL_API int VORSKEL_CALL Lusk_GetOnline(unsigned char* table, const char* host, int port);
/* Lusk records (16 bytes: card 0-3, number 4-7, 1980-based seconds 8-11, signed byte 12,
 * 0xA mark in the high nibble of 13), downloaded like Sondo_Record on the same shared
 * state. out: 32 entries of 74 bytes, each cleared first: "%02x%02x%02x%02x" card at 0,
 * date at 12, time at 24, "%lu" number at 34, "%03d" byte at 44. No record file lines. */
VORSKEL_API int VORSKEL_CALL Lusk_Record(unsigned char* out, int page, const char* host, int port);

/* What Hesk_Watch writes (50 bytes, cleared first). */
typedef struct HeskReport {
  char card[10];           /*  0: "%02X%02X%02X%02X" */
  char time[16];           /* 10: "%02d:%02d:%02d" */
  char date[16];           /* 26: "%04d-%02d-%02d" */
  unsigned char inputs[8]; /* 42: bit i of report byte 8, 0 or 1 */
} HeskReport;

/* The next Hesk report (the Sondo datagram, CRC-checked): 0, -1 receive failed or empty
 * datagram or null report, -2 CRC mismatch (report untouched). */
VORSKEL_API int VORSKEL_CALL Hesk_Watch(HeskReport* report, char* senderText, int* senderPort);
/* Command 26 (4 bytes): byte 0 the inverted mask of 8 flags (flag 0 set: 0xFE). */
VORSKEL_API int VORSKEL_CALL Hesk_Relay(const unsigned char* flags, const char* host, int port);
/* Command 29: the first length bytes (at most 128; a negative length or null bytes send
 * none). */
VORSKEL_API int VORSKEL_CALL Hesk_TextVoice(const unsigned char* bytes, int length,
                                            const char* host, int port);

/* Gaddo: the port is passed by pointer; a null pointer gives -2 with nothing sent. */
/* The next Gaddo frame: kind = byte 2, data = bytes 3-34 with its last byte set to 0.
 * 0 for kinds 'u' and 'v'; -3 for another kind (data cleared); -1 receive failed; -2 kind or
 * data null. */
VORSKEL_API int VORSKEL_CALL Gaddo_Watch(unsigned char* kind, unsigned char* data, char* senderText,
                                         int* senderPort);
/* Command 0: the first two of the 12 bytes (no reply payload expected). */
VORSKEL_API int VORSKEL_CALL Gaddo_Ack(const unsigned char* bytes, const char* host, int* port);
/* Commands 112 and 114: the 3 (7) bytes and their CRC-16. The reply's bytes are copied back;
 * when the CRC-16 after them does not match, -1 (and Gaddo_SetMchine fills the 3 bytes with
 * 0x33); else the transaction's result (a failed exchange, a reply too short to hold the
 * bytes and their CRC-16 included, leaves the bytes as they were sent). */
VORSKEL_API int VORSKEL_CALL Gaddo_SetMchine(unsigned char* bytes, const char* host, int* port);
VORSKEL_API int VORSKEL_CALL Gaddo_SetLogic(unsigned char* bytes, const char* host, int* port);
/* Commands 113 and 115: the 3 (7) bytes of the reply (zeros when there was no usable reply:
 * none, one too short to hold them, or another command's). */
VORSKEL_API int VORSKEL_CALL Gaddo_GetMchine(unsigned char* bytes, const char* host, int* port);
VORSKEL_API int VORSKEL_CALL Gaddo_GetLogic(unsigned char* bytes, const char* host, int* port);
/* Command 116: resets the alarm. The controller need not answer: -21 is reported as 0. */
VORSKEL_API int VORSKEL_CALL Gaddo_CloseAlarm(const char* host, int* port);

/* ---- multi-door controller ---------------------------------------------------------- */

/* The multi-door controller serves 24 door channels, numbered 0 to 23. A channel number
 * outside 0..23 gives -1 with nothing sent, as does a null table, buffer, text or
 * registration (null count pointers are skipped). Writes that the controller answers by echoing
 * the payload return -2 when the echo differs (the controller may have stored some of it);
 * the channel actions return -1 then. Every other negative result is the transaction's. */

/* One decoded record of the controller (64 bytes; offsets fixed). */
typedef struct FerrinRecordEntry {
  char time[24];  /*  0: "YYYY-MM-DD hh:mm:ss" */
  int eventA;     /* 24: event byte A, sign-extended (Ferrin_ReadAllRecord: record byte 4) */
  int eventB;     /* 28: event byte B, sign-extended (Ferrin_ReadAllRecord: record byte 5) */
  char card1[16]; /* 32 */
  char card2[16]; /* 48 */
} FerrinRecordEntry;

/* One card registration of the controller (92 bytes; offsets fixed). */
typedef struct FerrinDoorRegistration {
  char card1[16];   /*  0: 8 hex digits (Ferrin_REG_WEIGEN66: 14) when written */
  char card2[16];   /* 16: second card of a double registration, 8 hex digits */
  char password[8]; /* 32: 6 hex digits (single cards) */
  int mode;         /* 40: 10..13 for single cards */
  int index;        /* 44: 0..15 for single cards */
  char doors[32];   /* 48: character i is '1' when channel i may open (24 characters) */
  int year;         /* 80: full year when written; see Ferrin_ReadReg */
  int month;        /* 84 */
  int day;          /* 88 */
} FerrinDoorRegistration;

/* -- records. The page readers download the record area one 512-byte page per call: page 0
 * (which also runs the record-pointer query 18 and the count query 11), then 1, 2, ... until
 * -1. Pages are read with command 4; each record becomes one entry (32 per page, up to 64
 * when both record pointers fall in one page) and one line of the day's record file. The
 * record-read lock is held from after the page-0 queries to the end of each call. Each
 * export keeps one library-wide download state: one download per export at a time. */

/* Card texts "%03u%05u" (facility, number) of both cards. Result 0 and *count = entries
 * written; -1 when the download is over (count 0); or a query's or page read's error. */
VORSKEL_API int VORSKEL_CALL Ferrin_ReadRecord(FerrinRecordEntry* entries, int page,
                                               const char* host, int port, int* count);
/* The 66-bit card as 14 upper-case hex digits in card1, "0" in card2. Result: the number of
 * entries written, -1 when the download is over, or a query's or page read's error. */
VORSKEL_API int VORSKEL_CALL Ferrin_ReadRecord_Weigen66(FerrinRecordEntry* entries, int page,
                                                        const char* host, int port);
/* Reads the page at page x 512 regardless of the record pointers and decodes its first
 * records up to the first whose byte 14 is not 0xA0 (at most 8 entries; the rest of the
 * buffer is untouched). No record file lines. 0, or the page read's error. */
VORSKEL_API int VORSKEL_CALL Ferrin_ReadAllRecord(FerrinRecordEntry* entries, int page,
                                                  const char* host, int port);
/* Clear the controller's record memory (command 32, no payload). The transaction result. */
VORSKEL_API int VORSKEL_CALL Ferrin_InitRecord(const char* host, int port);
VORSKEL_API int VORSKEL_CALL Ferrin_InitFlash3(const char* host, int port);

/* -- time tables. A time segment is four ints: start hour, start minute, end hour, end
 * minute; on the wire minute before hour. Written hours above 23 and minutes above 59 go as
 * 0; negative values go as their low byte. Read bytes are sign-extended (0xFF reads -1). */

/* Week table: 7 days x 8 segments, day-major (224 ints); index 0..7 (else -1). Set clamps
 * the caller's table in place and checks the 225-byte echo (-2). */
VORSKEL_API int VORSKEL_CALL Ferrin_SetTimeTable(int* table, int index, const char* host, int port);
VORSKEL_API int VORSKEL_CALL Ferrin_GetTimeTable(int* table, int index, const char* host, int port);
VORSKEL_API int VORSKEL_CALL Ferrin_SetOpenTimeTable(int* table, int index, const char* host,
                                                     int port);
VORSKEL_API int VORSKEL_CALL Ferrin_GetOpenTimeTable(int* table, int index, const char* host,
                                                     int port);
/* Holiday entry i (0..19, else -1): four ints, each sent as its low byte. Set reads the
 * whole 80-byte holiday table (command 53), replaces entry i and writes it back (command
 * 52, echo checked): the other entries travel back unchanged. Not atomic on the controller. */
VORSKEL_API int VORSKEL_CALL Ferrin_SetHolidayTable(const int* entry, int index, const char* host,
                                                    int port);
VORSKEL_API int VORSKEL_CALL Ferrin_GetHolidayTable(int* entry, int index, const char* host,
                                                    int port);
/* Holiday door table: 8 segments (32 ints), index 0..7. Set clamps what it sends only. */
VORSKEL_API int VORSKEL_CALL Ferrin_SetHolidayDoorTable(const int* table, int index,
                                                        const char* host, int port);
VORSKEL_API int VORSKEL_CALL Ferrin_GetHolidayDoorTable(int* table, int index, const char* host,
                                                        int port);
/* Map table: 32 bytes passed through. Get sends the caller's 32 bytes as they stand and
 * overwrites them with the reply. The transaction result. */
VORSKEL_API int VORSKEL_CALL Ferrin_SetMapTable(const unsigned char* map, const char* host,
                                                int port);
VORSKEL_API int VORSKEL_CALL Ferrin_GetMapTable(unsigned char* map, const char* host, int port);

/* -- doors and ways */

/* Act on one channel at once (commands 98, 99, 100, 101); -1 also when the reply does not
 * echo the channel. */
VORSKEL_API int VORSKEL_CALL Ferrin_Open(int channel, const char* host, int port);
VORSKEL_API int VORSKEL_CALL Ferrin_OpenAlways(int channel, const char* host, int port);
VORSKEL_API int VORSKEL_CALL Ferrin_Close(int channel, const char* host, int port);
VORSKEL_API int VORSKEL_CALL Ferrin_ClearAlarm(int channel, const char* host, int port);
/* Status of all channels (command 97): status[7c + k] = bit k (0 or 1) of channel c's
 * status byte, k = 0..6; 168 bytes. */
VORSKEL_API int VORSKEL_CALL Ferrin_GetStatus(unsigned char* status, const char* host, int port);

/* Alarm flags: 7 bytes, flag k is bit k (written zero/non-zero, read 0/1). */
VORSKEL_API int VORSKEL_CALL Ferrin_SetWayAlarm(const unsigned char* flags, int channel,
                                                const char* host, int port);
VORSKEL_API int VORSKEL_CALL Ferrin_GetWayAlarm(unsigned char* flags, int channel, const char* host,
                                                int port);
/* Pass flags: 9 bytes; flags 0-5 and 6 go to bits 0-5 and 7 of the first byte, flags 7 and
 * 8 to bits 0 and 7 of the second. */
VORSKEL_API int VORSKEL_CALL Ferrin_SetWayPass(const unsigned char* flags, int channel,
                                               const char* host, int port);
VORSKEL_API int VORSKEL_CALL Ferrin_GetWayPass(unsigned char* flags, int channel, const char* host,
                                               int port);
/* Lock mask text: character i is '1' when channel i is in the mask (first 24 characters).
 * Get writes exactly 24 characters '1'/'0' and no terminating zero. */
VORSKEL_API int VORSKEL_CALL Ferrin_SetWayLock(const char* mask, int channel, const char* host,
                                               int port);
VORSKEL_API int VORSKEL_CALL Ferrin_GetWayLock(char* mask, int channel, const char* host, int port);
/* Time segment set: 33 ints (a leading value, then 16 pairs), each sent as its low byte,
 * read back sign-extended. */
VORSKEL_API int VORSKEL_CALL Ferrin_SetWayTimeSeg(const int* set, int channel, const char* host,
                                                  int port);
VORSKEL_API int VORSKEL_CALL Ferrin_GetWayTimeSeg(int* set, int channel, const char* host,
                                                  int port);
/* Passwords: 8 hex digits when written (the text is upper-cased in place first; a shorter
 * text counts its missing digits as 0); read as 8 upper-case hex digits and a zero (9
 * bytes). */
VORSKEL_API int VORSKEL_CALL Ferrin_SetDoorOpenPsw(char* password, int channel, const char* host,
                                                   int port);
VORSKEL_API int VORSKEL_CALL Ferrin_GetDoorOpenPsw(char* password, int channel, const char* host,
                                                   int port);

/* -- controller-wide settings */

/* Linkage group 0 or 1 (else -1): 5 ints, members 1-4 (255 = none) and a 16-bit value. The
 * members present are packed to the front, the free places sent as 0xFF (read back as -1). */
VORSKEL_API int VORSKEL_CALL Ferrin_SetWayConnect(const int* group, int index, const char* host,
                                                  int port);
VORSKEL_API int VORSKEL_CALL Ferrin_GetWayConnect(int* group, int index, const char* host,
                                                  int port);
/* Way timer: 4 bytes passed through. */
VORSKEL_API int VORSKEL_CALL Ferrin_SetWayTimer(const unsigned char* timer, const char* host,
                                                int port);
VORSKEL_API int VORSKEL_CALL Ferrin_GetWayTimer(unsigned char* timer, const char* host, int port);
/* Alarm password: as the door open password, for the whole controller. */
VORSKEL_API int VORSKEL_CALL Ferrin_SetDoorAlarmPsw(char* password, const char* host, int port);
VORSKEL_API int VORSKEL_CALL Ferrin_GetDoorAlarmPsw(char* password, const char* host, int port);
/* Print information: 42 bytes passed through (command 89, no echo check). */
VORSKEL_API int VORSKEL_CALL Ferrin_SetPrintInfo(const unsigned char* info, const char* host,
                                                 int port);
/* Serial port use (command 105): low bytes of portByte and useByte; nothing checked. */
VORSKEL_API int VORSKEL_CALL Ferrin_Com_Usetype(int portByte, int useByte, const char* host,
                                                int port);
/* Serial input format (command 104): the low byte of portByte must be 0 or 1 (else -1),
 * then the low bytes of the four format values. */
VORSKEL_API int VORSKEL_CALL Ferrin_Com_InputFormat(int portByte, int format1, int format2,
                                                    int format3, int format4, const char* host,
                                                    int port);
/* Kept for hosts that link it: sends nothing and returns 0. */
VORSKEL_API int VORSKEL_CALL Ferrin_SetGPRSInfo(int unused1, int unused2, int unused3);

/* -- card registrations. operation 1 stores (the reply must echo the registration), 2 is
 * passed on with only the status checked (its meaning is the controller's), 3 reads the
 * registration back into entry. Note: the terminal address comes before the operation. Cards, then
 * the password, are upper-cased in place before any check. Results: 0; -1 for a bad argument
 * (nothing sent); -2 when the controller refuses (status byte) or, for operation 1, does not echo.
 */

/* 26-bit card (command 12, type 0xA1): card1 8 hex digits, password 6 hex digits, mode
 * 10..13, index 0..15. Read back: card1 as "%03u%05u", password, mode, index, doors, date. */
VORSKEL_API int VORSKEL_CALL Ferrin_Single(FerrinDoorRegistration* entry, const char* host,
                                           int port, int operation);
/* Two cards shown together (command 33, type 0xA2): card1 and card2 8 hex digits each. */
VORSKEL_API int VORSKEL_CALL Ferrin_Double(FerrinDoorRegistration* entry, const char* host,
                                           int port, int operation);
/* 66-bit card (command 12, type 0xA2): card1 14 hex digits; read back in lower case. */
VORSKEL_API int VORSKEL_CALL Ferrin_REG_WEIGEN66(FerrinDoorRegistration* entry, const char* host,
                                                 int port, int operation);
/* Downloads the registration area one 512-byte page per call (page 0 reruns the pointer
 * query 18; then pages 1, 2, ... until -1) into up to 32 entries, from the page start up to
 * the first slot that is not a registration; fields a registration does not carry are left
 * as they were (clear the buffer first). The year is the stored two-digit year. Adds the
 * number decoded to *count (set it to 0 before page 0). 0; -1 when over; or an error. The
 * stored pointers are shared with other paged downloads (door controller, disposal, flow and
 * merchant records): run one of these downloads at a time. */
VORSKEL_API int VORSKEL_CALL Ferrin_ReadReg(FerrinDoorRegistration* entries, int page,
                                            const char* host, int port, int* count);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* VORSKEL_H */
