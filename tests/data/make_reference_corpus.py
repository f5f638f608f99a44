#!/usr/bin/env python3
"""Makes the frozen reference corpus in this folder: plain files, their .kvra files, text vectors and
manifest.txt, which tests/operations/reference_corpus_test.cpp reads.

The bytes come from OpenSSL's Blowfish and SHA-1 (libcrypto, called through ctypes) and Python's own Base64
and code page tables, never from Kelvara's code, so a change made to the library and to its tests at once still
shows. The corpus is frozen: running this again must reproduce exactly what git holds (check with git status).

File (.kvra):
  key  = SHA-1 of the password as UTF-16 code units, low byte first (no byte-order mark, no terminator),
         followed by twelve 0xFF bytes: 32 bytes, a 256-bit Blowfish key
  iv   = Blowfish encryption of eight 0xFF bytes under key
  file = the 32-byte key encrypted in CBC mode from iv (the check block),
         then the plain bytes in CBC mode, again from iv.
         A final partial block of r bytes (1..7) is the plain bytes XOR the first r bytes of E(c), where c is
         the last whole ciphertext block of the body, or iv when the body has no whole block.
         An encrypted file is always 32 bytes longer than its plain file.
Text:
  text and password are taken as code page 1252 bytes.
  key  = SHA-1 of the password bytes, used as a 160-bit Blowfish key; iv = E(eight 0xFF bytes)
  CFB with 8-bit feedback: cv = iv; for each byte b: c = b XOR E(cv)[0]; cv = cv[1:] + c
  the result is standard Base64 (RFC 4648 alphabet, "=" padding) on one line.
Plain bytes of a file case (the generator "lcg:SIZE:SEED"):
  state = SEED; SIZE times: state = (state * 1103515245 + 12345) mod 2**32; next byte = state >> 24.
  Files up to STORE_LIMIT bytes are stored in plain/; larger ones are named by their generator in the manifest.

Usage: python3 make_reference_corpus.py   (writes into the folder that holds this script)
"""

import base64
import ctypes
import ctypes.util
import pathlib

HERE = pathlib.Path(__file__).resolve().parent
STORE_LIMIT = 65537

SIZES = [0, 1, 7, 8, 9, 8191, 8192, 8193, 65537, 1024 * 1024 + 3]
# Every size with the ASCII password; every other password with three sizes that include a partial block.
FILE_CASES = [(size, "geheim") for size in SIZES] + [
    (0, ""), (8, ""), (9, ""),
    (1, "Pässwörd€"), (8191, "Pässwörd€"), (8193, "Pässwörd€"),
    (7, "schlüssel\U0001F511"), (8192, "schlüssel\U0001F511"), (65537, "schlüssel\U0001F511"),
]
# Lengths 0, 1, 3 and longer; padding "==", "=" and none; umlauts, the euro sign, the 0x80..0x9F block, CR LF.
TEXT_CASES = [
    ("Grüße aus Köln\r\nPreis: 5 €\r\n", "Pässwörd€"),
    ("„Anführung“ – 10 € … ‰ Œ š ÿ!", "geheim"),
    ("", "geheim"),
    ("x", "geheim"),
    ("abc", ""),
]

libcrypto = ctypes.CDLL(ctypes.util.find_library("crypto") or "libcrypto.so.3")
BF_KEY_SIZE = (18 + 4 * 256) * 4  # P array and four S boxes of 32-bit words
BF_ENCRYPT = 1


def sha1(data: bytes) -> bytes:
    digest = ctypes.create_string_buffer(20)
    libcrypto.SHA1(data, ctypes.c_size_t(len(data)), digest)
    return digest.raw


class Blowfish:
    def __init__(self, key: bytes):
        self.schedule = ctypes.create_string_buffer(BF_KEY_SIZE)
        libcrypto.BF_set_key(self.schedule, ctypes.c_int(len(key)), key)

    def encrypt_block(self, block: bytes) -> bytes:
        out = ctypes.create_string_buffer(8)
        libcrypto.BF_ecb_encrypt(block, out, self.schedule, ctypes.c_int(BF_ENCRYPT))
        return out.raw

    def encrypt_cbc(self, data: bytes, iv: bytes) -> bytes:
        assert len(data) % 8 == 0
        if not data:
            return b""
        out = ctypes.create_string_buffer(len(data))
        ivec = ctypes.create_string_buffer(iv, 8)
        libcrypto.BF_cbc_encrypt(data, out, ctypes.c_long(len(data)), self.schedule, ivec, ctypes.c_int(BF_ENCRYPT))
        return out.raw


def encrypt_file(plain: bytes, password: str) -> bytes:
    key = sha1(password.encode("utf-16-le")) + b"\xff" * 12
    cipher = Blowfish(key)
    iv = cipher.encrypt_block(b"\xff" * 8)
    whole = len(plain) - len(plain) % 8
    body = cipher.encrypt_cbc(plain[:whole], iv)
    if whole < len(plain):
        last = body[-8:] if body else iv
        stream = cipher.encrypt_block(last)
        body += bytes(p ^ s for p, s in zip(plain[whole:], stream))
    return cipher.encrypt_cbc(key, iv) + body


def encrypt_text(text: str, password: str) -> str:
    cipher = Blowfish(sha1(password.encode("cp1252")))
    cv = cipher.encrypt_block(b"\xff" * 8)
    out = bytearray()
    for b in text.encode("cp1252"):
        c = b ^ cipher.encrypt_block(cv)[0]
        out.append(c)
        cv = cv[1:] + bytes([c])
    return base64.b64encode(bytes(out)).decode("ascii")


def lcg_bytes(size: int, seed: int) -> bytes:
    out = bytearray(size)
    state = seed
    for i in range(size):
        state = (state * 1103515245 + 12345) % 2**32
        out[i] = state >> 24
    return bytes(out)


def hex_or_dash(text: str) -> str:
    return text.encode("utf-8").hex() if text else "-"


def readable(text: str) -> str:
    return text.replace("\r", "\\r").replace("\n", "\\n")


def password_tag(password: str) -> str:
    return {"": "empty", "geheim": "ascii", "Pässwörd€": "cp1252", "schlüssel\U0001F511": "astral"}[password]


def main() -> None:
    (HERE / "plain").mkdir(exist_ok=True)
    (HERE / "kvra").mkdir(exist_ok=True)
    lines = [
        "# The frozen reference corpus, written by make_reference_corpus.py (see there for the formats). Do not edit.",
        "# file <plain> <password> <encrypted>",
        "#   plain: a file below this folder, or lcg:<size>:<seed> for the bytes of the script's generator",
        "#   password: its UTF-8 bytes in hex, \"-\" when empty; encrypted: a file below this folder",
        "# text <text> <password> <base64>",
        "#   text, password: UTF-8 bytes in hex, \"-\" when empty; base64: the encrypted text, \"-\" when empty",
        "# Anything after the fourth field is a comment.",
    ]
    for size, password in FILE_CASES:
        plain = lcg_bytes(size, seed=size)
        if size <= STORE_LIMIT:
            plain_name = f"plain/{size:07d}.bin"
            (HERE / plain_name).write_bytes(plain)
        else:
            plain_name = f"lcg:{size}:{size}"
        kvra_name = f"kvra/{size:07d}-{password_tag(password)}.kvra"
        (HERE / kvra_name).write_bytes(encrypt_file(plain, password))
        lines.append(f"file {plain_name} {hex_or_dash(password)} {kvra_name}  # password \"{password}\"")
    for text, password in TEXT_CASES:
        encrypted = encrypt_text(text, password) or "-"
        lines.append(f"text {hex_or_dash(text)} {hex_or_dash(password)} {encrypted}"
                     f"  # \"{readable(text)}\" with \"{password}\"")
    (HERE / "manifest.txt").write_text("\n".join(lines) + "\n", encoding="utf-8")


if __name__ == "__main__":
    main()
