' Operators, numeric types, conversions on assignment, literals and constants.

Function T() As Long
 T = 1 + 2 * 3
End Function
' expect: 7

Function T() As Long
 T = (1 + 2) * 3
End Function
' expect: 9

Function T() As Long
 T = -2 ^ 2
End Function
' expect: -4

Function T() As Double
 T = 2 ^ 10
End Function
' expect: 1024

Function T() As Long
 T = 7 \ 2
End Function
' expect: 3

Function T() As Long
 T = -7 \ 2
End Function
' expect: -3

Function T() As Long
 T = 7 Mod 3
End Function
' expect: 1

Function T() As Long
 T = -7 Mod 3
End Function
' expect: -1

Function T() As Double
 T = 7 / 2
End Function
' expect: 3.5

' Into a Long: 3.5 rounds half to even.
Function T() As Long
 T = 7 / 2
End Function
' expect: 4

Function T() As Long
 T = 5 / 2
End Function
' expect: 2

Function T() As Long
 T = 10 - 4 - 3
End Function
' expect: 3

Function T() As Long
 T = &HFF + &O17
End Function
' expect: 270

Function T() As Long
 T = 5 And 3
End Function
' expect: 1

Function T() As Long
 T = 5 Or 3
End Function
' expect: 7

Function T() As Long
 T = 5 Xor 3
End Function
' expect: 6

Function T() As Long
 T = Not 0
End Function
' expect: -1

Function T() As Long
 T = 3 > 2
End Function
' expect: -1

Function T() As Long
 T = 3 < 2
End Function
' expect: 0

Function T() As Long
 T = 2 = 2
End Function
' expect: -1

Function T() As Long
 T = 2 <> 2
End Function
' expect: 0

Function T() As Long
 T = Abs(-5)
End Function
' expect: 5

Function T() As Long
 T = Int(2.7)
End Function
' expect: 2

Function T() As Long
 T = Sgn(-3)
End Function
' expect: -1

Function T() As Long
 T = IIf(1 > 2, 10, 20)
End Function
' expect: 20

Function T() As Integer
 Dim a As Integer
 a = 2.5
 T = a
End Function
' expect: 2

Function T() As Integer
 Dim a As Integer
 a = 3.5
 T = a
End Function
' expect: 4

Function T() As Long
 Dim a As Long
 a = 100000
 T = a * 3
End Function
' expect: 300000

Function T() As Double
 Dim c As Currency
 c = 1.25
 T = c * 2
End Function
' expect: 2.5

Function T()
 Dim a As Integer
 a = 32767
 a = a + 1
 T = a
End Function
' error: Overflow @4

Function T()
 Dim a As Long
 a = 0
 T = 10 \ a
End Function
' error: ivision @4

Function T()
 Const k = 6
 T = k * 7
End Function
' expect: 42

Function T()
 Const k% = 100000
 T = k
End Function
' error: out of the range of Integer @2

Function T() As Single
 Dim x%
 Dim y!
 x = 7
 y = x / 2
 T = y
End Function
' expect: 3.5

' Integer literals are Long.
Function T() As Long
 Dim i As Integer
 i = 32767
 T = i + 1
End Function
' expect: 32768

Function T() As Long
 T = 32767 + 1
End Function
' expect: 32768

Function T() As String
 T = Hex(-1) & " " & Hex(255) & " " & Oct(8)
End Function
' expect: FFFFFFFF FF 10

Function T() As String
 Dim i As Integer
 i = -1
 T = Hex(i)
End Function
' expect: FFFF

' Constants convert a Long to Integer, Single or Double and a Double to Single; other
' pairs are refused.
Function T()
 Const C@ = 1
 T = C
End Function
' error: Error in variable declaration @2

Function T()
 Const D@ = 1.5
 T = D
End Function
' error: Error in variable declaration @2

Function T()
 Const k% = 1.5
 T = k
End Function
' error: Error in variable declaration @2

Function T() As String
 Const a! = 1
 Const b# = 2
 Const c! = 2.5
 Const d% = -7
 T = a + b + c & " " & d
End Function
' expect: 5.5 -7

Function T()
 Const k% = -32769
 T = k
End Function
' error: Constant 'k' is out of the range of Integer @2
