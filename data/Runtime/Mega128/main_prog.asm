//Runtime of the Orvanta AVR controller (ATmega128): the reset code, the net
//table and the scan loop over the configuration table.
//
//Configuration.inc holds the table CfgTable: every element block as its length
//byte (itself included) and its bytes, pins as net numbers, the block code as
//the last two bytes; a zero length ends the table. Each scan runs the blocks in
//table order; a block routine gets Z at the block's first byte after the length
//and Y at its FBD_STATE_SIZE state bytes, and may change every register but Y.

.include "macros.inc"

.dseg
.org SRAM_START
Nets:		.byte NET_SLOTS*NET_SIZE

.cseg
.org 0x0000
	jmp	RESET
.include "Interrupt.inc"
.org INT_VECTORS_SIZE

.include "Include.inc"

.dseg
FbdState:	.byte CFG_BLOCKS*FBD_STATE_SIZE+1
RamUsed:

.cseg
RESET:
	ldi	r16, high(RAMEND)
	out	SPH, r16
	ldi	r16, low(RAMEND)
	out	SPL, r16
	clr	r1
	//nets and block states start at zero
	ldi	XL, low(SRAM_START)
	ldi	XH, high(SRAM_START)
	ldi	r24, low(RamUsed-SRAM_START)
	ldi	r25, high(RamUsed-SRAM_START)
clear_ram:
	st	X+, r1
	sbiw	r24, 1
	brne	clear_ram
	rcall	timer_init
	sei

scan:
	ldi	ZL, low(CfgTable*2)
	ldi	ZH, high(CfgTable*2)
	ldi	YL, low(FbdState)
	ldi	YH, high(FbdState)
next_block:
	lpm	r16, Z
	tst	r16
	breq	scan
	movw	XL, ZL
	add	XL, r16
	adc	XH, r1			//X: the next block
	push	XL
	push	XH
	sbiw	XL, 2			//X: the block code
	movw	r22, ZL
	movw	ZL, XL
	lpm	r24, Z+
	lpm	r25, Z
	movw	ZL, r22
	adiw	ZL, 1			//Z: the block's first byte
	push	YL
	push	YH
	rcall	fbd_dispatch
	clr	r1
	pop	YH
	pop	YL
	adiw	YL, FBD_STATE_SIZE
	pop	ZH
	pop	ZL
	rjmp	next_block

//Calls the routine of block code r25:r24; a code without a routine is skipped.
fbd_dispatch:
	tst	r25
	brne	fbd_unknown
.ifdef FBD_LOGIC
	FBD_CASE 1, fbd_and
	FBD_CASE 2, fbd_or
	FBD_CASE 3, fbd_xor
	FBD_CASE 4, fbd_not
.endif
.ifdef FBD_TRIGGER
	FBD_CASE 10, fbd_rs
	FBD_CASE 11, fbd_rtrig
.endif
.ifdef FBD_MATH
	FBD_CASE 20, fbd_add
	FBD_CASE 21, fbd_mul
	FBD_CASE 22, fbd_cmp
.endif
.ifdef FBD_CONVERT
	FBD_CASE 30, fbd_int2real
	FBD_CASE 31, fbd_real2int
	FBD_CASE 32, fbd_word2int
.endif
.ifdef FBD_TIMER
	FBD_CASE 40, fbd_ton
	FBD_CASE 41, fbd_tof
.endif
.ifdef FBD_COUNTER
	FBD_CASE 42, fbd_ctu
.endif
.ifdef FBD_PORT
	FBD_CASE 100, fbd_pinin
	FBD_CASE 101, fbd_pinout
.endif
fbd_unknown:
	ret
