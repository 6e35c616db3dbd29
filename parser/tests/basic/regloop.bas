' Loop code that keeps its locals in registers and reaches typed arrays directly: element
' reads and writes, arrays changed by statements run as trees, locals shared with calls,
' by-reference arguments, statics and errors with their lines.

' A sieve on an Integer array: typed element reads and writes in nested loops.
Function T() As String
 Dim flags(1000) As Integer
 Dim i As Long, j As Long, n As Long
 For i = 2 To 1000
  If flags(i) = 0 Then
   n = n + 1
   For j = i + i To 1000 Step i
    flags(j) = 1
   Next j
  End If
 Next i
 T = n & " " & flags(997) & " " & flags(999) & " " & i & " " & j
End Function
' expect: 168 0 1 1001 1994

' A bubble sort of Longs, elements of Doubles read and written with a lower bound.
Function T() As String
 Dim a(1 To 50) As Long, d(-3 To 3) As Double
 Dim i As Long, j As Long, tmp As Long, seed As Long, ok As Long
 seed = 7
 For i = 1 To 50
  seed = (seed * 1103 + 12345) Mod 65536
  a(i) = seed
 Next i
 For i = 1 To 49
  For j = 1 To 50 - i
   If a(j) > a(j + 1) Then
    tmp = a(j)
    a(j) = a(j + 1)
    a(j + 1) = tmp
   End If
  Next j
 Next i
 ok = 1
 For i = 1 To 49
  If a(i) > a(i + 1) Then ok = 0
 Next i
 d(-3) = 1
 For i = -2 To 3
  d(i) = d(i - 1) * 1.5 + i
 Next i
 T = ok & " " & a(1) & " " & a(50) & " " & d(3)
End Function
' expect: 1 994 64674 -0.609375

' Arrays changed by statements that run as trees: the loop goes on with the new elements.
Function T() As String
 Dim a() As Long, i As Long, s As Long
 ReDim a(2)
 For i = 1 To 6
  If i = 3 Then ReDim Preserve a(10)
  a(i) = i
  s = s + a(i)
 Next i
 T = s & " " & UBound(a) & " " & a(6) & " " & a(2)
End Function
' expect: 21 10 6 2

' An element stored in an Integer array from a Long beyond its range: the tree's error.
Function T()
 Dim a(5) As Integer, i As Long
 For i = 1 To 5
  a(i) = i * 10000
 Next i
 T = a(3)
End Function
' error: @4

' Subscripts out of range in a typed store and a typed read carry their lines.
Function T()
 Dim a(5) As Integer, i As Long
 For i = 0 To 10
  a(i) = i
 Next i
 T = 0
End Function
' error: 32736 @4

Function T()
 Dim a(1 To 5) As Double, i As Long, x As Double
 For i = 5 To 0 Step -1
  x = x + a(i) * 2
 Next i
 T = x
End Function
' error: 32736 @4

' Division by zero in the third pass of a loop, on its own line.
Function T()
 Dim i As Long, n As Long
 For i = 1 To 5
  n = n + 1
  n = n + 100 \ (i - 3)
 Next i
 T = n
End Function
' error: ivision @5

' An Integer local given a Long beyond its range inside a loop.
Function T()
 Dim i As Long, k As Integer
 For i = 1 To 5
  k = i * 10000
 Next i
 T = k
End Function
' error: @4

' Two by-reference arguments on the same variable: both see every change.
Sub Twice(a As Long, b As Long)
 Dim i As Long
 For i = 1 To 3
  a = a + 1
  b = b + 10
 Next i
End Sub
Function T()
 Dim x As Long
 Twice x, x
 T = x
End Function
' expect: 33

' A by-reference argument as the loop variable: the caller sees its last value.
Sub Count(n As Long, total As Long)
 For n = 1 To 5
  total = total + n
 Next n
End Sub
Function T() As String
 Dim k As Long, s As Long
 Count k, s
 T = k & " " & s
End Function
' expect: 6 15

' A static local changed by recursive calls from inside the loop.
Function Depth(k As Long) As Long
 Static calls As Long
 Dim i As Long, j As Long
 For i = 1 To 2
  calls = calls + 1
  If k > 0 Then j = Depth(k - 1)
 Next i
 Depth = calls
End Function
Function T()
 T = Depth(3)
End Function
' expect: 30

' The function's result held by the loop, and Exit Function from inside it.
Function T() As Long
 Dim i As Long
 For i = 1 To 100
  T = T + i
  If i = 10 Then Exit Function
 Next i
 T = -1
End Function
' expect: 55

' A loop's locals read and changed by a procedure it calls through an array argument.
Sub Bump(b() As Long, k As Long)
 b(k) = b(k) + 100
End Sub
Function T() As String
 Dim a(4) As Long, i As Long, s As Long
 For i = 0 To 4
  a(i) = i
  Bump a, i
  s = s + a(i)
 Next i
 T = s & " " & a(4)
End Function
' expect: 510 104

' Integer and Double locals next to Longs: ranges, conversions and a Do loop.
Function T() As String
 Dim i As Integer, n As Long, x As Double, k As Integer
 Do While i < 300
  i = i + 7
  n = n + i * 100
  x = x + i / 8
  k = k Xor i
 Loop
 T = i & " " & n & " " & x & " " & k
End Function
' expect: 301 662200 827.75 276
